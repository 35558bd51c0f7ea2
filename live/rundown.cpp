#include "live/rundown.h"

#include <cstring>

#include "player/frame_composer.h"
#include "player/smooth_page.h"

namespace velmora::live {

platform::Bitmap pictureAtRest(const PageImage& page, const ShowOptions& options, int stageWidth,
                               int stageHeight, int width, int height) {
    platform::Bitmap picture(std::max(width, 1), std::max(height, 1), platform::PixelFormat::Bits32);
    std::memset(picture.bits(), 0, std::size_t(picture.stride()) * picture.height());
    const platform::StageView view =
        platform::StageView::fit(stageWidth, stageHeight, picture.width(), picture.height());
    SilentControl silent;
    SmoothPage played(page, options, view, silent, std::nullopt, /*onAir=*/true);
    // Every move in ends; a live page then stays.
    for (int guard = 0; guard < 8 && !played.resting() && !played.finished(); ++guard)
        played.advanceTo(played.nextChange());
    FrameComposer composer({picture.bits(), picture.width(), picture.height(), picture.stride(), 4},
                           view);
    const SmoothPage::Frame f = played.frameAt(played.resting() ? SmoothPage::Never - 1 : 0);
    if (f.picture == SmoothPage::Picture::Lines) composer.compose(composedLines(played, f));
    return picture;
}

LiveCommand liveCommandFor(int key, Qt::KeyboardModifiers modifiers, bool typing) {
    const bool shift = modifiers & Qt::ShiftModifier;
    const bool other = modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (other) return LiveCommand::None;
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return typing ? LiveCommand::CueTyped : LiveCommand::Take;
    case Qt::Key_Escape:
        return shift ? LiveCommand::Cut : LiveCommand::Clear;
    case Qt::Key_Space:
        return LiveCommand::Next;
    case Qt::Key_Up:
        return LiveCommand::CueUp;
    case Qt::Key_Down:
        return LiveCommand::CueDown;
    case Qt::Key_Backspace:
        return typing ? LiveCommand::Erase : LiveCommand::None;
    default:
        break;
    }
    if (key >= Qt::Key_0 && key <= Qt::Key_9 && !shift) return LiveCommand::Digit;
    return LiveCommand::None;
}

} // namespace velmora::live
