#pragma once

class QWidget;

namespace velmora::platform {

// Animates a dialog opening from its owner, or closing into it: a caption bar glides between
// the owner's top-left corner and the dialog's frame. It does not hold up the caller. Where the
// platform cannot show it (no display of its own, or no owner), pending window messages are
// processed instead and the result is false.
bool animateDialog(QWidget& dialog, QWidget* owner, bool opening);

} // namespace velmora::platform
