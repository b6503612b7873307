// Driving the module windows by the accessible names of their controls, as a
// screen reader or a user would find them: read a field, type into it, press a
// button. A name that finds no control fails the test rather than passing quietly.
#pragma once

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace rdtest {

inline QString U(const char *s) { return QString::fromUtf8(s); }

template <class T>
T *FindNamed(QWidget *root, const QString &name)
{
    for (T *child : root->findChildren<T *>())
        if (child->accessibleName() == name)
            return child;
    return nullptr;
}

// The text of the edit, combo box or label of that name.
inline QString Text(QWidget *root, const char *name)
{
    const QString n = U(name);
    if (auto *edit = FindNamed<QLineEdit>(root, n))
        return edit->text();
    if (auto *combo = FindNamed<QComboBox>(root, n))
        return combo->currentText();
    if (auto *label = FindNamed<QLabel>(root, n))
        return label->text();
    ADD_FAILURE() << "no control named " << name;
    return QString();
}

// Types into the edit or the editable combo box of that name.
inline void Type(QWidget *root, const char *name, const char *text)
{
    if (auto *edit = FindNamed<QLineEdit>(root, U(name)))
        edit->setText(U(text));
    else if (auto *combo = FindNamed<QComboBox>(root, U(name)))
        combo->setEditText(U(text));
    else
        ADD_FAILURE() << "no field named " << name;
}

// Picks entry `index` of the list of that name as a user does: opens the list
// and takes the entry with Return (the same entry again included).
inline void Choose(QWidget *root, const char *name, int index)
{
    auto *combo = FindNamed<QComboBox>(root, U(name));
    ASSERT_NE(combo, nullptr) << name;
    combo->showPopup();
    QAbstractItemView *list = combo->view();
    list->setCurrentIndex(combo->model()->index(index, combo->modelColumn()));
    QTest::keyClick(list, Qt::Key_Return);
    ASSERT_EQ(combo->currentIndex(), index) << name;
}

inline void Press(QWidget *root, const char *caption)
{
    auto *button = FindNamed<QPushButton>(root, U(caption));
    ASSERT_NE(button, nullptr) << caption;
    button->click();
}

} // namespace rdtest
