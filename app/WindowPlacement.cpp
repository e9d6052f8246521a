#include "app/WindowPlacement.h"

#include <QApplication>
#include <QEvent>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace vantrel {

namespace {
const char* const kPlaced = "vantrelPlaced";
constexpr int kGap = 8;
// Far enough for the opener's title and left edge to stay in view.
constexpr int kCascade = 40;

bool standardBox(const QWidget* w) {
    return qobject_cast<const QMessageBox*>(w) != nullptr || qobject_cast<const QFileDialog*>(w) != nullptr ||
           qobject_cast<const QInputDialog*>(w) != nullptr;
}
} // namespace

QPoint placeBeside(const QRect& opener, const QSize& frame, const QRect& screen) {
    auto inside = [&](QPoint at) {
        at.setX(std::max(screen.left(), std::min(at.x(), screen.right() + 1 - frame.width())));
        at.setY(std::max(screen.top(), std::min(at.y(), screen.bottom() + 1 - frame.height())));
        return at;
    };
    // Right of the opener, left of it, or cascaded from it, each pulled inside the screen: the first that
    // hides least of the opener.
    const QPoint candidates[] = {
        inside({opener.right() + 1 + kGap, opener.top()}),
        inside({opener.left() - kGap - frame.width(), opener.top()}),
        inside(opener.topLeft() + QPoint(kCascade, kCascade)),
    };
    QPoint best = candidates[0];
    long long bestHidden = -1;
    for (const QPoint& at : candidates) {
        const QRect hidden = QRect(at, frame) & opener;
        const long long area = hidden.isEmpty() ? 0 : static_cast<long long>(hidden.width()) * hidden.height();
        if (bestHidden < 0 || area < bestHidden) {
            best = at;
            bestHidden = area;
        }
    }
    return best;
}

WindowPlacement::WindowPlacement(QWidget* mainWindow, QWidget* splash, QObject* parent)
    : QObject(parent), main_(mainWindow), splash_(splash) {
    qApp->installEventFilter(this);
}

WindowPlacement::~WindowPlacement() {
    qApp->removeEventFilter(this);
}

bool WindowPlacement::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Show || !watched->isWidgetType())
        return false;
    auto* window = static_cast<QWidget*>(watched);
    const Qt::WindowType type = window->windowType();
    if (!window->isWindow() || (type != Qt::Dialog && type != Qt::Window) || standardBox(window) || window == main_ ||
        window == splash_ || main_ == nullptr || !main_->isVisible() || window->property(kPlaced).toBool())
        return false;
    // Once only: a window the installer has moved stays where they put it.
    window->setProperty(kPlaced, true);
    // The opener: the owner of a window that has one, else the window the installer was working in.
    QWidget* opener = window->parentWidget() != nullptr ? window->parentWidget()->window() : nullptr;
    if (opener == nullptr || !opener->isVisible()) {
        opener = QApplication::activeWindow();
        if (opener == nullptr || opener == window || !opener->isVisible())
            opener = main_;
    }
    const QScreen* screen = opener->screen();
    if (screen == nullptr)
        return false;
    // The new window's frame is not known before the window manager has framed it: the opener's
    // frame, which the same window manager drew, stands in for it.
    const QRect openerFrame = opener->frameGeometry();
    const QSize border = openerFrame.size() - opener->geometry().size();
    const QSize frame = window->size() + border;
    QPoint at = placeBeside(openerFrame, frame, screen->availableGeometry());
    // Until the window manager has framed it, a window is placed by its client area: the frame then
    // goes round that.
    if (window->frameGeometry() == window->geometry())
        at += opener->geometry().topLeft() - openerFrame.topLeft();
    window->move(at);
    return false;
}

} // namespace vantrel
