// The encoding bar above the lists.
#include "ui/QUILL_encodingBar.h"

#include "strings/QUILL_codepage.h"
#include "ui/QUILL_changeChannel.h"
#include "ui/QUILL_mainWindow.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsEncoding.h"

#include <QAction>
#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>

TEncodingBar::TEncodingBar(TForm1& form, QWidget* parent) : QFrame(parent), form_(form) {
    setObjectName(QStringLiteral("EncodingBar"));
    setFrameShape(QFrame::StyledPanel);
    // The colours of a warning that stays until it is answered, whatever the style's palette.
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(0xff, 0xf4, 0xce));
    colours.setColor(QPalette::WindowText, QColor(0x3b, 0x2f, 0x00));
    setPalette(colours);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 4, 4, 4);
    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(20, 20));
    layout->addWidget(icon);
    message_ = new QLabel(this);
    message_->setObjectName(QStringLiteral("EncodingMessage"));
    message_->setWordWrap(true);
    message_->setTextFormat(Qt::PlainText);
    layout->addWidget(message_, 1);
    reopen_ = new QPushButton(this);
    reopen_->setObjectName(QStringLiteral("ReopenUtf8"));
    layout->addWidget(reopen_);
    dismiss_ = new QPushButton(this);
    dismiss_->setObjectName(QStringLiteral("DismissEncoding"));
    layout->addWidget(dismiss_);
    connect(dismiss_, &QPushButton::clicked, this, &QWidget::hide);
    connect(reopen_, &QPushButton::clicked, this, [this] {
        TWorkspace& ws = form_.workspace();
        form_.runGuarded([&ws] { reopenReadingUtf8(ws); });
        if (QAction* force = form_.commandAction(QStringLiteral("ForceUtf8Load")))
            force->setChecked(ws.state().ForceUtf8Load);
        refresh();
    });
    connect(&form.changes(), &TChangeChannel::documentReplaced, this, &TEncodingBar::refresh);
    hide();
}

void TEncodingBar::refresh() {
    TWorkspace& ws = form_.workspace();
    const TAppState& st = ws.state();
    const qsizetype count = ws.document ? ws.document->misencodedTexts : 0;
    if (count == 0) {
        hide();
        return;
    }
    const QString language = ws.document->sourceTextLanguage(st);
    const rCodepage codepage = chooseCodepage(QLatin1Char('_') + language, st.codepageList, st.ForceUtf8Load);
    message_->setText(
        ws.app.uiTextFormat(QStringLiteral("Bar_TextsLookUtf8"), {static_cast<int>(count), codepage.s, language}));
    reopen_->setText(ws.app.uiText(QStringLiteral("Bar_ReopenUtf8")));
    dismiss_->setText(ws.app.uiText(QStringLiteral("Bar_Dismiss")));
    show();
}

TEncodingBar* installEncodingBar(TForm1& form) {
    QWidget* lists = form.listPages();
    auto* layout = qobject_cast<QBoxLayout*>(lists->parentWidget()->layout());
    auto* bar = new TEncodingBar(form, lists->parentWidget());
    if (layout) layout->insertWidget(layout->indexOf(lists), bar);
    return bar;
}
