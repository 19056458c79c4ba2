#pragma once
// Our answer to every question the office asks while it loads or saves a
// document: never a dialog, never a wait. Each request is declined (abort,
// else disapprove) and remembered, so that the caller can tell a password
// request or a damaged file from other failures.
#include "office/OfficeUno.h"

#include <com/sun/star/task/XInteractionHandler.hpp>
#include <cppuhelper/implbase1.hxx>

#include <QStringList>

#include <mutex>

struct OfficeInteractionLog
{
    bool passwordRequested = false;
    bool damagedFile = false;    // the office offered to repair the file
    QString ioErrorMessage;      // message of a reported input/output error
    QStringList requestTypes;    // UNO type names of all requests, in order
};

class OfficeInteractionHandler : public cppu::WeakImplHelper1<css::task::XInteractionHandler>
{
public:
    void SAL_CALL handle(const css::uno::Reference<css::task::XInteractionRequest>& request) override;

    OfficeInteractionLog log() const;

private:
    mutable std::mutex m_mutex;
    OfficeInteractionLog m_log;
};
