#pragma once
// Choosing and typing in the task editor's combos as a person does.
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

// Picks the entry whose item data is `data`; fails the test when none has.
inline void selectData(QComboBox* box, int data)
{
    const int index = box->findData(data);
    QVERIFY2(index >= 0, qPrintable(QString::number(data)));
    box->setCurrentIndex(index);
}

// Types into an editable combo as a person would: selects all, then types.
inline void typeInto(QComboBox* box, const QString& text)
{
    QLineEdit* edit = box->lineEdit();
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}
