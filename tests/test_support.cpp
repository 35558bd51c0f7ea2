#include "test_support.h"

#include <QAbstractScrollArea>
#include <QFile>
#include <QStringList>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QWidget>

#include "platform/Help.h"
#include "platform/Pump.h"

namespace testsupport {

Seams::Seams() {
    platform::setDialogs(&dialogs);
    platform::setClock(&clock);
}

Seams::~Seams() {
    platform::setDialogs(nullptr);
    platform::setClock(nullptr);
    platform::setPumpHook({});
}

TempDir::TempDir() {
    dir_.setAutoRemove(true);
}

QRect pixelsOf(const platform::Bitmap& b, platform::TColor c) {
    QRect r;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x)
            if (b.pixel(x, y) == c) r |= QRect(x, y, 1, 1);
    return r;
}

QTextBrowser* helpView() {
    QWidget* w = platform::Help::window();
    return w ? w->findChild<QTextBrowser*>() : nullptr;
}

QString helpTextInSight() {
    QTextBrowser* view = helpView();
    if (!view) return QString();
    const QRect sight = view->viewport()->rect();
    QTextCursor c = view->cursorForPosition(sight.topLeft());
    c.setPosition(view->cursorForPosition(sight.bottomRight()).position(), QTextCursor::KeepAnchor);
    return c.selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
}

QString helpTopicText(const QString& title) {
    QTextBrowser* view = helpView();
    if (!view) return QString();
    QStringList lines;
    int level = 0;
    for (QTextBlock b = view->document()->begin(); b.isValid(); b = b.next()) {
        const int heading = b.blockFormat().headingLevel();
        if (level == 0) {
            if (heading > 0 && b.text().trimmed() == title) {
                level = heading;
                lines << b.text();
            }
            continue;
        }
        if (heading > 0 && heading <= level) break;
        lines << b.text();
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace testsupport

namespace testsupport {

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace testsupport
