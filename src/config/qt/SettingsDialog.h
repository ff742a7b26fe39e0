// frmSettings: the node list and the archive settings, written back to
// Settings.ini on "Save".
#pragma once

#include <QDialog>
#include <array>
#include <functional>

#include "config/SettingsDialogLogic.h"
#include "config/qt/DialogSupport.h"
#include "log/ErrorReport.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace pelko::ui {

class SettingsDialog : public EscapeProofDialog, private config::SettingsDialogView, private MessageBoxes {
    Q_OBJECT
public:
    // Fills itself on construction (NodeList, then the file).
    SettingsDialog(QWidget* owner, config::Settings& settings, std::function<void()> nodesChanged);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Their object names, which the tests find them by, are set on construction.
    QTreeWidget* nodeList_ = nullptr;
    QPushButton* addButton_ = nullptr;
    QPushButton* editButton_ = nullptr;
    QPushButton* deleteButton_ = nullptr;
    QGroupBox* archiveFrame_ = nullptr;
    QGroupBox* localFrame_ = nullptr;
    std::array<QLabel*, 4> labels_{};
    QLineEdit* archiveAet_ = nullptr;
    QLineEdit* archiveIp_ = nullptr;
    QLineEdit* archivePort_ = nullptr;
    QLineEdit* localAet_ = nullptr;
    QCheckBox* useForward_ = nullptr;
    QCheckBox* useRegistered_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;

    void buildControls();
    void bind();
    QLineEdit* field(config::SettingsField which) const;

    // SettingsDialogView
    void appendRow(const config::NodeRow& row) override;
    void setRow(int index, const config::NodeRow& row) override;
    void removeRow(int index) override;
    void clearSelection() override;
    void setFieldText(config::SettingsField field, const std::string& text) override;
    void setChecked(config::SettingsCheck check, bool on) override;
    void setSaveEnabled(bool on) override;
    void runNodeEntry(config::NodeEntryLogic::Mode mode, const config::NodeRow& initial) override;
    void closeDialog() override { reject(); }

    // MessageBoxes
    void showError(const std::string& text) override;
    void showErrorWithDetails(const std::string& text, const std::string& details) override;
    void showInfo(const std::string& text) override;

    config::SettingsDialogLogic logic_;
    // Set while the logic updates the widgets, so that their signals are not
    // taken for the user's actions.
    bool mirroring_ = false;
};

}  // namespace pelko::ui
