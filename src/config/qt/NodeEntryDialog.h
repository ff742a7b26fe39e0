// frmChange: one destination node, added to or edited in the settings
// dialog's list.
#pragma once

#include <QDialog>
#include <array>

#include "config/NodeEntryLogic.h"
#include "config/qt/DialogSupport.h"
#include "log/ErrorReport.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace pelko::ui {

class NodeEntryDialog : public EscapeProofDialog, private config::NodeEntryView, private MessageBoxes {
    Q_OBJECT
public:
    // The fields start with `initial` (empty for a new node).
    NodeEntryDialog(QWidget* owner, config::NodeEntryLogic::Mode mode, const config::NodeRow& initial,
                    config::NodeListEditor& list);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Their object names, which the tests find them by, are set on construction.
    QLineEdit* alias_ = nullptr;
    QLineEdit* aet_ = nullptr;
    std::array<QLabel*, 2> labels_{};  // "Alias:", "AET:"
    QPushButton* okButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;

    // NodeEntryView
    void setCaption(const std::string& caption) override;
    void setOKCaption(const std::string& caption) override;
    std::string aliasText() const override;
    std::string aetText() const override;
    void closeDialog() override { reject(); }

    // MessageBoxes
    void showError(const std::string& text) override;
    void showErrorWithDetails(const std::string& text, const std::string& details) override;
    void showInfo(const std::string& text) override;

    config::NodeEntryLogic logic_;
};

}  // namespace pelko::ui
