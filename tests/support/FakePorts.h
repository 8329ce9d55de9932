#pragma once

#include "base/BrowserView.h"
#include "base/Dialogs.h"
#include "base/Failure.h"
#include "base/PageSource.h"
#include "base/Shell.h"
#include "support/QtPrinters.h"

#include <QHash>
#include <QQueue>
#include <QStringList>
#include <functional>

using namespace Qt::StringLiterals;

// Records every box shown; questions are answered from a queue (No when it runs dry).
class FakeDialogs : public Dialogs {
public:
    void message(const QString& text) override { shown << u"message: "_s + text; }
    bool question(const QString& text) override {
        shown << u"question: "_s + text;
        return answers.isEmpty() ? false : answers.dequeue();
    }
    void error(const QString& text) override { shown << u"error: "_s + text; }
    void information(const QString& text) override { shown << u"information: "_s + text; }
    QStringList chooseFiles(const QString& caption, const QString&) override {
        shown << u"files: "_s + caption;
        return chosenFiles;
    }

    QStringList shown;
    QQueue<bool> answers;
    QStringList chosenFiles; // what the open-file dialog returns
};

class FakeBrowserView : public BrowserView {
public:
    void navigate(const QString& target) override {
        if (refuse)
            throw Failure(u"navigation refused"_s);
        targets << target;
    }
    QStringList targets;
    bool refuse = false;
};

class FakeShell : public Shell {
public:
    void open(const QString& address) override { opened << address; }
    void openDocument(const QString& markdownPath) override { documents << markdownPath; }
    QStringList opened;
    QStringList documents;
};

// Serves pages from a table; a missing address fails like a refused connection.
// An address listed in `redirects` reports the target as where its page came from.
class FakePageSource : public PageSource {
public:
    QString get(const QString& address) override {
        requests << address;
        if (!pages.contains(address))
            throw Failure(u"Socket Error # 111\r\nConnection refused."_s);
        return pages.value(address);
    }
    FetchedPage fetch(const QString& address) override {
        QString text = get(address);
        return {std::move(text), redirects.value(address, address)};
    }
    QHash<QString, QString> pages;
    QHash<QString, QString> redirects;
    QStringList requests;
};
