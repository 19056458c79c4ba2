#pragma once
// A person's hand on the task editor and the task grid.
#include "jobs/GridSetup.h"
#include "ui/GridView.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

// Types into an editable combo as a person would: selects all, then types.
inline void typeInto(QComboBox* box, const QString& text)
{
    QLineEdit* edit = box->lineEdit();
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

// Clicks a task row (grid row numbers: 1 is the first task).
inline void clickRow(FlexGridView* view, int gridRow)
{
    const QRect cell = view->visualRect(view->model()->index(gridRow - 1, todocol::Input));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
}
