// The hint window and the application-wide filter that routes hints to it.
#include "ui/QUILL_hintWindow.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QToolTip>

namespace {

constexpr int kCellHintWidth = 50; // list cells show their hint over their first pixels only

QColor windowsColour(uint32_t bgr) {
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

// Routes tool-tip events to the formatted hint and hides it when the user moves on.
class THintFilter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

QPointer<TQUILLHint> g_hint;

bool THintFilter::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::ToolTip: {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget) return false;
        auto* help = static_cast<QHelpEvent*>(event);
        TQUILLHint* hint = TQUILLHint::instance();
        QString text;
        if (auto* view = qobject_cast<QAbstractItemView*>(widget->parentWidget()); view && view->viewport() == widget) {
            // The string lists show a cell's hint over its first pixels only; other views anywhere in the cell.
            const QModelIndex index = view->indexAt(help->pos());
            const bool stringList = view->objectName().endsWith(QLatin1String("SkyTree"));
            if (index.isValid() && (!stringList || help->pos().x() - view->visualRect(index).left() < kCellHintWidth))
                text = index.data(Qt::ToolTipRole).toString();
        } else {
            text = widget->toolTip();
        }
        if (text.trimmed().isEmpty()) {
            hint->hide();
            // Item views and widgets without a hint show nothing; the others keep Qt's behaviour.
            return qobject_cast<QAbstractItemView*>(widget->parentWidget()) != nullptr;
        }
        hint->activateHint(help->globalPos(), text);
        return true;
    }
    case QEvent::Leave:
    case QEvent::MouseButtonPress:
    case QEvent::KeyPress:
    case QEvent::Wheel:
    case QEvent::WindowDeactivate:
        if (g_hint && g_hint->isVisible() && watched != g_hint) g_hint->hide();
        return false;
    default:
        return false;
    }
}

} // namespace

QFont TFontMeasure::fontFor(const QFont& base, const rHintFont& font) {
    QFont f(base);
    f.setBold(font.bold);
    f.setItalic(font.italic);
    f.setUnderline(font.underline);
    f.setStrikeOut(font.strikeOut);
    return f;
}

QSize TFontMeasure::textSize(const QString& text, const rHintFont& font) {
    const QFontMetrics metrics(fontFor(base_, font));
    return QSize(metrics.horizontalAdvance(text), metrics.height());
}

TQUILLHint::TQUILLHint(QWidget* parent)
    : QWidget(parent,
              Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput) {
    setObjectName(QStringLiteral("TQUILLHint"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFont(QToolTip::font());
    hideTimer_ = new QTimer(this);
    hideTimer_->setSingleShot(true);
    hideTimer_->setInterval(15000);
    connect(hideTimer_, &QTimer::timeout, this, &QWidget::hide);
}

QSize TQUILLHint::hintSize(const QString& text) {
    TFontMeasure measure(font());
    const rHintLayout layout = calcHintRect(measure, text);
    if (layout.rect.isEmpty()) return {};
    return QSize(layout.rect.right() - layout.rect.left() + 1, layout.rect.bottom() - layout.rect.top() + 1);
}

void TQUILLHint::activateHint(const QPoint& globalPos, const QString& text) {
    TFontMeasure measure(font());
    const rHintLayout layout = calcHintRect(measure, text);
    if (layout.rect.isEmpty()) {
        hide();
        return;
    }
    text_ = text;
    tip_ = layout.tip;
    const QSize size(layout.rect.right() - layout.rect.left() + 1, layout.rect.bottom() - layout.rect.top() + 1);
    QScreen* screen =
        QGuiApplication::screenAt(globalPos) ? QGuiApplication::screenAt(globalPos) : QGuiApplication::primaryScreen();
    const QRect bounds = placeHint(size, globalPos, screen ? screen->availableGeometry() : QRect(globalPos, size));
    setGeometry(bounds);
    show();
    raise();
    update();
    hideTimer_->start();
}

void TQUILLHint::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor body = tip_.bodyColourSet ? windowsColour(tip_.BodyColor) : palette().color(QPalette::ToolTipBase);
    const QColor ink = palette().color(QPalette::ToolTipText);
    painter.fillRect(rect(), body);
    if (tip_.drawFrame) {
        painter.setPen(ink);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    // The text rectangle: shifted down by the first line's height, since each line stands on its baseline.
    const QRect area = rect().adjusted(tip_.SideBorder, tip_.FirstLineHeight + tip_.TopBorder, -tip_.SideBorder, 0);
    TFontMeasure measure(font());
    const rHintLayout layout =
        layoutHintText(measure, text_, QRect(area.topLeft(), QPoint(area.right(), area.top())), 1.0, 0);
    for (const rHintWord& word : layout.words) {
        const QFont f = TFontMeasure::fontFor(font(), word.font);
        painter.setFont(f);
        painter.setPen(word.font.colourSet ? windowsColour(word.font.colour) : ink);
        painter.drawText(QPoint(word.x, word.baseline - QFontMetrics(f).descent()), word.text);
    }
}

QRect TQUILLHint::placeHint(const QSize& size, const QPoint& pointer, const QRect& desk) {
    constexpr int below = 20, above = 4, beside = 16;
    const int width = qMin(size.width(), desk.width());
    const int height = qMin(size.height(), desk.height());
    QRect bounds(QPoint(pointer.x(), pointer.y() + below), QSize(width, height));
    if (bounds.bottom() > desk.bottom()) {
        if (pointer.y() - above - height >= desk.top()) {
            bounds.moveBottom(pointer.y() - above);
        } else {
            // Too tall for either side: beside the pointer, where there is more room, as high as it fits.
            bounds.moveTop(qMax(desk.top(), desk.bottom() - height + 1));
            if (desk.right() - pointer.x() >= pointer.x() - desk.left())
                bounds.moveLeft(pointer.x() + beside);
            else
                bounds.moveRight(pointer.x() - beside);
            return bounds;
        }
    }
    if (bounds.right() > desk.right()) bounds.moveRight(desk.right());
    if (bounds.left() < desk.left()) bounds.moveLeft(desk.left());
    return bounds;
}

TQUILLHint* TQUILLHint::instance() {
    if (!g_hint) g_hint = new TQUILLHint();
    return g_hint;
}

void TQUILLHint::install() {
    static bool installed = false;
    if (installed || !qApp) return;
    installed = true;
    qApp->installEventFilter(new THintFilter(qApp));
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, [] { delete g_hint.data(); });
}
