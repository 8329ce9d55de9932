#include "base/Failure.h"
#include "player/ui/WaitCursorPageSource.h"
#include "support/FakePorts.h"

#include <QCursor>
#include <QGuiApplication>
#include <gtest/gtest.h>

namespace {
// Notes the cursor the user sees while the download runs.
struct CursorSpy : FakePageSource {
    QString get(const QString& address) override {
        const QCursor* cursor = QGuiApplication::overrideCursor();
        during = cursor ? cursor->shape() : Qt::ArrowCursor;
        return FakePageSource::get(address);
    }
    Qt::CursorShape during = Qt::ArrowCursor;
};
} // namespace

TEST(WaitCursor, ShownDuringEveryDownloadAndRemovedAfterwardsEvenOnFailure) {
    CursorSpy inner;
    inner.pages.insert(u"http://a/"_s, u"page"_s);
    WaitCursorPageSource source(inner);
    EXPECT_EQ(source.get(u"http://a/"_s), u"page"_s);
    EXPECT_EQ(inner.during, Qt::WaitCursor);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    inner.during = Qt::ArrowCursor;
    EXPECT_THROW(source.get(u"http://b/"_s), Failure);
    EXPECT_EQ(inner.during, Qt::WaitCursor);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}
