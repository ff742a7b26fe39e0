#include "send/qt/QtNodeButtonsView.h"

#include "app/qt/MainWindow.h"

namespace pelko::ui {

const char* const kMarkedNodeStyle =
    "QPushButton { background-color: rgb(0, 255, 0); color: black;"
    " border: 1px solid rgb(0, 100, 0); border-radius: 2px; }";

namespace {

// The "NODES" menu opens at the "..." button's own position inside the
// search frame plus (350, 660) twips, taken as a position in the window.
constexpr int kMenuOffsetXTwips = 350;
constexpr int kMenuOffsetYTwips = 660;

}  // namespace

QtNodeButtonsView::QtNodeButtonsView(MainWindow& window, ChooseItem onChoose)
    : window_(window), onChoose_(std::move(onChoose)) {}

void QtNodeButtonsView::setSlotShown(int slot, bool shown) {
    window_.cmdNode.at(static_cast<std::size_t>(slot))->setVisible(shown);
}

void QtNodeButtonsView::setSlotCaption(int slot, const std::string& caption) {
    window_.cmdNode.at(static_cast<std::size_t>(slot))->setText(QString::fromStdString(caption));
}

void QtNodeButtonsView::setSlotMarked(int slot, bool marked) {
    QPushButton* button = window_.cmdNode.at(static_cast<std::size_t>(slot));
    QFont font = button->font();
    font.setBold(marked);
    button->setFont(font);
    button->setStyleSheet(marked ? QString::fromLatin1(kMarkedNodeStyle) : QString());
}

void QtNodeButtonsView::setMoreShown(bool shown) {
    window_.cmdMore->setVisible(shown);
}

void QtNodeButtonsView::resetNodeMenu() {
    window_.mnuEmpty0->setVisible(true);
    for (QAction* item : items_) {
        window_.mnuNodes->removeAction(item);
        item->deleteLater();
    }
    items_.clear();
}

void QtNodeButtonsView::popUpNodeMenu(const std::vector<send::NodeMenuItem>& items) {
    for (const auto& item : items) {
        QAction* action = window_.mnuNodes->addAction(QString::fromStdString(item.alias));
        action->setData(QString::fromStdString(item.aeTitle));
        QObject::connect(action, &QAction::triggered, window_.mnuNodes, [this, item] { onChoose_(item); });
        items_.push_back(action);
    }
    window_.mnuEmpty0->setVisible(false);
    const QPoint at(window_.cmdMore->x() + Px(kMenuOffsetXTwips),
                    window_.cmdMore->y() + Px(kMenuOffsetYTwips));
    window_.mnuNodes->popup(window_.centralWidget()->mapToGlobal(at));
}

}  // namespace pelko::ui
