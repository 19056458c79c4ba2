#pragma once
// What a person does at the window: choosing and typing in combos, and
// answering the modal dialog that a step opens, clicking a task row.
#include "jobs/GridSetup.h"
#include "ui/GridView.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

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

// Answers the modal dialog that the next step opens, once it is up.
inline void answerModal(const std::function<void(QWidget*)>& answer)
{
    auto* poll = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [poll, tries, answer] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal && ++*tries < 500)
            return;
        poll->stop();
        poll->deleteLater();
        if (modal)
            answer(modal);
    });
    poll->start(10);
}

// Clicks a task row (grid row numbers: 1 is the first task).
inline void clickRow(FlexGridView* view, int gridRow)
{
    const QRect cell = view->visualRect(view->model()->index(gridRow - 1, todocol::Input));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
}
