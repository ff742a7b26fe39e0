// Controls found by object name, as a user finds them by label.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QObject>
#include <QPushButton>
#include <QString>
#include <QTreeWidget>

namespace pelko::test {

// The child of `root` named `name`; fails the test when there is none.
template <typename T>
T* Control(const QObject* root, const QString& name) {
    T* found = root->findChild<T*>(name);
    if (found == nullptr) ADD_FAILURE() << "no control " << name.toStdString();
    return found;
}

}  // namespace pelko::test
