// The one error type readers and writers throw; commands catch it at their boundary and report it through the host.
#pragma once

#include <QString>
#include <exception>

class TQuillError : public std::exception {
public:
    explicit TQuillError(QString message) : message_(std::move(message)), utf8_(message_.toUtf8()) {}
    const QString& message() const noexcept { return message_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    QByteArray utf8_;
};
