#include "platform/Help.h"

#include <QFile>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>

#include "platform/FrontWindow.h"

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
};

QTextBrowser* ensureWindow() {
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

void show(const QString& anchor, const QString& title) {
    QTextBrowser* b = ensureWindow();
    const QUrl url = theFile.startsWith(':') ? QUrl(QStringLiteral("qrc") + theFile)
                                             : QUrl::fromLocalFile(theFile);
    b->setSource(url);
    if (!anchor.isEmpty()) b->scrollToAnchor(anchor);
    last = title;
    showInFront(helpWindow);
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
