#include "app/ui/PlaylistImport.h"

#include "base/Dialogs.h"
#include "base/ErrorText.h"
#include "catalog/CatalogFile.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QScopeGuard>
#include <QWidget>
#include <algorithm>

using namespace Qt::StringLiterals;

PlaylistImport::PlaylistImport(Window window, Dialogs& dialogs, QString catalogPath)
    : QObject(&window.widget), m_window(std::move(window)), m_dialogs(dialogs),
      m_catalogPath(std::move(catalogPath)) {
    m_window.widget.setAcceptDrops(true);
    m_window.widget.installEventFilter(this);
}

void PlaylistImport::chooseAndImport() {
    const QStringList files = m_dialogs.chooseFiles(
        u"Импорт списка"_s, u"Списки воспроизведения (*.m3u *.m3u8 *.pls *.csv *.txt);;Все файлы (*)"_s);
    if (!files.isEmpty())
        import(files);
}

void PlaylistImport::import(const QStringList& files) {
    ImportResult result;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        CatalogFile catalog(m_catalogPath);
        result = catalog.importFiles(m_window.activeList(), files);
    }
    if (!result.errors.isEmpty()) {
        m_dialogs.error(errorBoxText(result.errors.first().toString()));
        return;
    }
    m_dialogs.information(u"Добавлено записей: %1"_s.arg(result.added));
    m_window.reread();
}

bool PlaylistImport::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &m_window.widget)
        return false;
    if (event->type() == QEvent::DragEnter) {
        auto* enter = static_cast<QDragEnterEvent*>(event);
        const QList<QUrl> urls = enter->mimeData()->urls();
        if (!urls.isEmpty() &&
            std::all_of(urls.cbegin(), urls.cend(), [](const QUrl& url) { return url.isLocalFile(); }))
            enter->acceptProposedAction();
        return true;
    }
    if (event->type() == QEvent::Drop) {
        auto* drop = static_cast<QDropEvent*>(event);
        QStringList files;
        for (const QUrl& url : drop->mimeData()->urls())
            files << url.toLocalFile();
        drop->acceptProposedAction();
        // After the drop has ended, so that the boxes do not run inside the drag's own loop.
        QMetaObject::invokeMethod(
            this, [this, files] { m_window.run([this, files] { import(files); }); }, Qt::QueuedConnection);
        return true;
    }
    return false;
}
