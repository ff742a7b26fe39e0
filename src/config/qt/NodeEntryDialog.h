// frmChange: one destination node, added to or edited in the settings
// dialog's list.
#pragma once

#include "config/qt/DialogSupport.h"

#include <QDialog>
#include <array>

#include "config/NodeEntryLogic.h"
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
    // Found by object name in the widget tests.
    QLineEdit* txtAlias = nullptr;
    QLineEdit* txtAET = nullptr;
    std::array<QLabel*, 2> lblSettings{};  // "Alias:", "AET:"
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

    // NodeEntryView
    void setCaption(const std::string& caption) override;
    void setOKCaption(const std::string& caption) override;
    std::string aliasText() const override;
    std::string aetText() const override;
    void closeDialog() override { reject(); }

    // MessageBoxes
    void showError(const std::string& text) override;
    void showInfo(const std::string& text) override;

    config::NodeEntryLogic logic_;
};

}  // namespace pelko::ui
