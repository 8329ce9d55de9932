#include "app/ui/ListCompletion.h"

#include "catalog/TDataModule2.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

ListCompletion::ListCompletion(QWidget& window, TDataModule2& data) : m_window(window), m_data(data) {
    if (m_data.listsComplete()) {
        m_done = true;
        return;
    }
    QCoreApplication::instance()->installEventFilter(this);
    connect(&m_data, &TDataModule2::restRead, this, &ListCompletion::complete);
}

ListCompletion::~ListCompletion() {
    if (!m_done)
        QCoreApplication::instance()->removeEventFilter(this);
}

bool ListCompletion::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TabletPress:
    case QEvent::InputMethod:
        complete(); // before the event is delivered
        break;
    case QEvent::Paint:
        if (!m_scheduled && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window() == &m_window) {
            // Read once this paint has reached the screen, brought when read.
            m_scheduled = true;
            QTimer::singleShot(0, this, [this] {
                if (!m_done && !m_data.readRest())
                    complete();
            });
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void ListCompletion::complete() {
    if (m_done)
        return;
    m_done = true;
    QCoreApplication::instance()->removeEventFilter(this);
    m_data.completeLists();
}
