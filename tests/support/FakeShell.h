// A Shell that records what the logic shows, for the logic tests.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/Shell.h"

namespace pelko::test {

class FakeShell : public Shell {
public:
    void showError(const std::string& text) override { messages.push_back("error: " + text); }
    void showErrorWithDetails(const std::string& text, const std::string& details) override {
        showError(text);
        this->details.push_back(details);
    }
    void showInfo(const std::string& text) override { messages.push_back("info: " + text); }
    void processEvents() override {
        ++pumps;
        if (onProcessEvents) onProcessEvents();
    }
    void setCaption(const std::string& c) override {
        caption_ = c;
        captions.push_back(c);
    }
    std::string caption() const override { return caption_; }
    void setBusyPointer(bool busy) override { busyPointer.push_back(busy); }

    std::vector<std::string> messages;  // "error: ..." / "info: ..."
    std::vector<std::string> details;   // behind the error boxes that have them
    std::vector<std::string> captions;
    std::vector<bool> busyPointer;
    int pumps = 0;
    // Runs inside processEvents: lets a test fire a second action mid-loop.
    std::function<void()> onProcessEvents;

private:
    std::string caption_ = "Pelko";
};

}  // namespace pelko::test
