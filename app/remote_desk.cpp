#include "app/remote_desk.h"

#include <QLineEdit>

#include "app/startup.h"
#include "dialogs/livewindow.h"
#include "live/desk.h"
#include "main/bitmov2.h"
#include "model/page_file.h"
#include "model/show_project.h"
#include "remote/server.h"

namespace velmora {

live::LiveDesk* RemoteDesk::liveDesk() {
    return windows_.live ? windows_.live->liveDesk() : nullptr;
}

bool RemoteDesk::setText(int row, int line, const QString& text, QString* why) {
    live::LiveDesk* s = liveDesk();
    TBitMovOptMain& main = *windows_.BitMovOptMain;
    if (!s) {
        if (why) *why = QStringLiteral("the Live window is not open");
        return false;
    }
    if (row == main.getcurrentpaGE()) {
        // As if typed: the Live window follows the editor's page.
        main.editFor(line)->setText(text);
        return true;
    }
    const QString number = s->onAir().row(row).number;
    const QString file = pageFileName(main.dpath, StripKVT(main.ProjectName), number);
    PageBuffer buffer;
    if (readPageFile(file, buffer) != PageReadResult::Ok) {
        if (why) *why = QStringLiteral("the page file %1 cannot be read").arg(file);
        return false;
    }
    PageImage page;
    buffer.decode(page);
    page.lines[std::size_t(line - 1)].Text = text;
    if (buffer.encode(page, number) == PageBuffer::Stored::TooLarge || !writePageFile(file, buffer)) {
        if (why) *why = QStringLiteral("the page file %1 cannot be written").arg(file);
        return false;
    }
    prepareForShow(page, main.dpath);
    s->edit(row, page);
    windows_.live->showEdited(row);
    return true;
}

QByteArray RemoteDesk::remotePage() {
    return remote::webRemotePage();
}

} // namespace velmora
