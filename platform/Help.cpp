#include "platform/Help.h"

#include <QFile>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>

#include "platform/FrontWindow.h"

// The help page is a resource compiled into this static library. Nothing else refers to the
// resource's object file, so unless it is registered from here the linker leaves it out and
// every program would show a blank help window. Q_INIT_RESOURCE declares the registering
// function where it is used, hence outside the namespace.
static void registerHelpPages() {
    Q_INIT_RESOURCE(help);
}

namespace velmora::platform {

namespace {
QString theFile = QStringLiteral(":/help/Velmora.html");
QString last;
QPointer<QWidget> helpWindow;
QTextBrowser* browser = nullptr;

struct Topic {
    const char* title;
    const char* anchor;
};
const Topic topicTable[] = {
    {"About Pausing and Delays", "pausing"},
    {"Buttons", "buttons"},
    {"Drawing Paths By Hand", "paths"},
    {"Live", "live"},
    {"Remote Control", "remote"},
};

QTextBrowser* ensureWindow() {
    static const bool registered = (registerHelpPages(), true);
    (void)registered;
    if (!helpWindow) {
        auto* w = new QWidget(nullptr, Qt::Window);
        w->setWindowTitle(QStringLiteral("Velmora Help"));
        w->setAttribute(Qt::WA_DeleteOnClose, false);
        w->resize(520, 440);
        auto* layout = new QVBoxLayout(w);
        layout->setContentsMargins(0, 0, 0, 0);
        browser = new QTextBrowser(w);
        browser->setAccessibleName(QStringLiteral("Help text"));
        browser->setOpenLinks(true);
        layout->addWidget(browser);
        helpWindow = w;
    }
    return browser;
}

QUrl pageUrl() {
    return theFile.startsWith(':') ? QUrl(QStringLiteral("qrc") + theFile)
                                   : QUrl::fromLocalFile(theFile);
}

void show(const QString& anchor, const QString& title) {
    QTextBrowser* b = ensureWindow();
    last = title;
    // Shown before the page is set, so the page is laid out at the window's width when it is
    // scrolled to the topic; over the align screen when it is up.
    showInFront(helpWindow);
    if (!QFile::exists(theFile)) {
        b->setHtml(QStringLiteral("<p>The help file %1 could not be found.</p>")
                       .arg(theFile.toHtmlEscaped()));
        return;
    }
    QUrl url = pageUrl();
    if (!anchor.isEmpty()) url.setFragment(anchor);
    // The same page again is not reloaded: it is scrolled to the anchor, or to its top.
    b->setSource(url);
}
} // namespace

void Help::setHelpFile(const QString& file) {
    theFile = file;
}
QString Help::helpFile() {
    return theFile;
}

bool Help::showTopic(const QString& title) {
    for (const Topic& t : topicTable) {
        if (title.compare(QLatin1String(t.title), Qt::CaseInsensitive) == 0) {
            show(QString::fromLatin1(t.anchor), QString::fromLatin1(t.title));
            return true;
        }
    }
    return false;
}

void Help::showContents() {
    show(QString(), QStringLiteral("Contents"));
}
QString Help::lastShown() {
    return last;
}
QWidget* Help::window() {
    return helpWindow;
}

} // namespace velmora::platform
