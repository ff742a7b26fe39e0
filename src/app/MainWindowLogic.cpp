#include "app/MainWindowLogic.h"

#include "config/IniFile.h"
#include "config/Settings.h"
#include "log/Clock.h"
#include "log/Error.h"
#include "log/ErrorReport.h"

namespace pelko {
MainWindowLogic::MainWindowLogic(MainWindowView& view, Shell& shell, config::Settings& settings,
                                 ErrorReporter& errors, const Clock& clock, Hooks hooks)
    : view_(view), shell_(shell), settings_(settings), errors_(errors), clock_(clock), hooks_(std::move(hooks)) {}

void MainWindowLogic::Load() {
    SkipOnFailure([&] { shell_.setCaption(kAppTitle); });
    SkipOnFailure([&] { view_.setDatePickersTo(clock_.now().date); });
    SkipOnFailure([&] {
        view_.moveToTopLeft();
        view_.setOuterWidthTwips(kStartWidthTwips);
    });
    SkipOnFailure([&] {
        const std::string text = config::ReadIni("Size", "SearchHeight", std::to_string(kDefaultHeightTwips),
                                                 settings_.path(), config::kIniSize);
        if (auto height = config::ParseInt32(text); height && *height > 0) view_.setOuterHeightTwips(*height);
    });

    try {
        view_.fillSexList({"O", "M", "F"});
        view_.clearDatePickerTicks();
        if (hooks_.configGrid) hooks_.configGrid();
        if (hooks_.configButton) hooks_.configButton();
    } catch (...) {
        const ErrorInfo e = CurrentErrorInfo();
        errors_.logThenMessageA(e.number, e.description, "Form_Load");
    }
}

void MainWindowLogic::Resized() {
    const int width = view_.outerWidthTwips() - kGridWidthMarginTwips;
    const int height = view_.outerHeightTwips() - kGridHeightMarginTwips;
    if (width >= 0) SkipOnFailure([&] { view_.setGridWidthTwips(width); });
    if (height >= 0) SkipOnFailure([&] { view_.setGridHeightTwips(height); });
}

void MainWindowLogic::Unload() {
    config::WriteIni("Size", "SearchHeight", std::to_string(view_.outerHeightTwips()), settings_.path());
    if (hooks_.saveActive) hooks_.saveActive();
}

}  // namespace pelko
