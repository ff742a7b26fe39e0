#include "app/MainWindowLogic.h"

#include "base/Twips.h"
#include "config/Settings.h"
#include "log/Error.h"
#include "log/ErrorReport.h"

namespace pelko {
MainWindowLogic::MainWindowLogic(MainWindowView& view, Shell& shell, config::Settings& settings,
                                 ErrorReporter& errors, Hooks hooks)
    : view_(view), shell_(shell), settings_(settings), errors_(errors), hooks_(std::move(hooks)) {}

void MainWindowLogic::Load() {
    SkipOnFailure([&] { shell_.setCaption(kAppTitle); });
    SkipOnFailure([&] {
        view_.moveToTopLeft();
        view_.setOuterWidthTwips(kStartWidthTwips);
    });
    SkipOnFailure([&] {
        // A number outside what a window can be gives the default height.
        if (auto height = settings_.ReadSearchHeight()) {
            view_.setOuterHeightTwips(
                *height > 0 && *height <= kMaxWindowTwips ? *height : config::kDefaultSearchHeightTwips);
        }
    });

    errors_.Run("Form_Load", Report::LogThenSeeLog, [&] {
        if (hooks_.configureGrid) hooks_.configureGrid();
        if (hooks_.rebuildNodes) hooks_.rebuildNodes();
    });
}

void MainWindowLogic::Resized() {
    const int width = view_.outerWidthTwips() - kGridWidthMarginTwips;
    const int height = view_.outerHeightTwips() - kGridHeightMarginTwips;
    if (width >= 0) SkipOnFailure([&] { view_.setGridWidthTwips(width); });
    if (height >= 0) SkipOnFailure([&] { view_.setGridHeightTwips(height); });
}

void MainWindowLogic::Unload() {
    // The program is ending: a height that cannot be written is not
    // reported, the next start uses the default.
    [[maybe_unused]] const bool written = settings_.WriteSearchHeight(view_.outerHeightTwips());
    if (hooks_.saveMarks) hooks_.saveMarks();
}

}  // namespace pelko
