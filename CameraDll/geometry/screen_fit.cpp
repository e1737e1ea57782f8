#include "CameraDll/geometry/screen_fit.h"

#include "CameraDll/geometry/selection_editor.h"

namespace camera {

QRect FitOnScreens(const QRect& selection, const std::vector<QRect>& screens) {
    // The box around the parts on screens: a part hanging into the gap
    // beside a smaller screen stays, as a drag across that gap would keep
    // it, but nothing beyond the outermost screen does.
    QRect fitted;
    for (const QRect& screen : screens)
        fitted |= selection.normalized() & screen;
    if (fitted.width() < SelectionEditor::kMinimumSide ||
        fitted.height() < SelectionEditor::kMinimumSide)
        return {};
    return fitted;
}

} // namespace camera
