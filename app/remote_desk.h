#pragma once
#include <QString>

#include "remote/api.h"

namespace velmora {

struct Windows;

// What the remote control reaches of the program: the Live window's desk, and edits of a
// page's text: the page in the editor through its title box (an edit of the page as typing is,
// undone with Edit > Undo and saved with the page), any other page in its file at once.
class RemoteDesk : public remote::Operator {
public:
    explicit RemoteDesk(Windows& windows) : windows_(windows) {}
    live::LiveDesk* liveDesk() override;
    bool setText(int row, int line, const QString& text, QString* why) override;
    QByteArray remotePage() override;

private:
    Windows& windows_;
};

} // namespace velmora
