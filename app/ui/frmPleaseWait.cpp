#include "frmPleaseWait.h"

#include "ui/FormTranslation.h"

#include <QLabel>
#include <QVBoxLayout>

QString SplashVersionText(int major, int minor, int revision)
{
    return u'V' + QString::number(major) + u'.' + QString::number(minor) + QString::number(revision);
}

frmPleaseWait::frmPleaseWait()
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmPleaseWait"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(32, 24, 32, 24);
    lblHeader = new QLabel(QStringLiteral("Please wait while updating."));
    lblHeader->setObjectName(QStringLiteral("lblHeader"));
    lblLine1 = new QLabel;
    lblLine1->setObjectName(QStringLiteral("lblLine1"));
    lblLine2 = new QLabel;
    lblLine2->setObjectName(QStringLiteral("lblLine2"));
    for (QLabel* label : {lblHeader, lblLine1, lblLine2}) {
        label->setAlignment(Qt::AlignCenter);
        column->addWidget(label);
    }
    setAutoFillBackground(true);
    TranslateForm(this);
}
