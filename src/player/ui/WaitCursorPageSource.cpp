#include "player/ui/WaitCursorPageSource.h"

#include "net/PageFetcher.h"

#include <QCoreApplication>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QSet>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace {

struct WaitCursor {
    WaitCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

bool isUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::NativeGesture:
    case QEvent::Close: // the window closes once the download is over or cancelled
        return true;
    default:
        return false;
    }
}

// Keeps user input away from the windows that were open when the download started, noting
// Escape, and holds back the ticks of the program's timers: meanwhile the program does
// nothing else, as if it were blocked, but it repaints. A window that opens meanwhile (a
// message box) gets its input, so that it can be closed.
class InputGate : public QObject {
public:
    InputGate() {
        const QWindowList windows = QGuiApplication::topLevelWindows();
        m_windows = QSet<QWindow*>(windows.begin(), windows.end());
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~InputGate() override { QCoreApplication::instance()->removeEventFilter(this); }
    InputGate(const InputGate&) = delete;
    InputGate& operator=(const InputGate&) = delete;

    [[nodiscard]] bool escapePressed() const { return m_escape; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // A skipped tick comes again one interval later, as ticks do after a busy spell.
        if (event->type() == QEvent::Timer)
            return qobject_cast<QTimer*>(watched) != nullptr;
        if (!isUserInput(event->type()) || !isOldWindow(watched))
            return false;
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
            m_escape = true;
        if (event->type() == QEvent::Close)
            event->ignore();
        return true;
    }

private:
    bool isOldWindow(QObject* target) const {
        QWindow* window = nullptr;
        if (target->isWindowType())
            window = static_cast<QWindow*>(target);
        else if (auto* widget = qobject_cast<QWidget*>(target))
            window = widget->window()->windowHandle();
        // Input for no window at all (the application itself) is held back too.
        if (!window)
            return true;
        while (QWindow* parent = window->parent())
            window = parent;
        return m_windows.contains(window);
    }

    QSet<QWindow*> m_windows;
    bool m_escape = false;
};

} // namespace

WaitCursorPageSource::WaitCursorPageSource(PageFetcher& fetcher) : m_inner(fetcher), m_fetcher(&fetcher) {}

template <class Download> auto WaitCursorPageSource::waitingFor(Download&& download) {
    const WaitCursor cursor;
    if (!m_fetcher || !QCoreApplication::instance())
        return download();
    const InputGate gate;
    m_fetcher->setKeepWaiting([&gate] {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return !gate.escapePressed();
    });
    const struct Unhook {
        PageFetcher& fetcher;
        ~Unhook() { fetcher.setKeepWaiting({}); }
    } unhook{*m_fetcher};
    return download();
}

QString WaitCursorPageSource::get(const QString& address) {
    return waitingFor([&] { return m_inner.get(address); });
}

FetchedPage WaitCursorPageSource::fetch(const QString& address) {
    return waitingFor([&] { return m_inner.fetch(address); });
}
