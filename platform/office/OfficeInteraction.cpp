#include "office/OfficeInteraction.h"

#include <com/sun/star/document/BrokenPackageRequest.hpp>
#include <com/sun/star/task/PasswordRequest.hpp>
#include <com/sun/star/task/XInteractionAbort.hpp>
#include <com/sun/star/task/XInteractionDisapprove.hpp>
#include <com/sun/star/task/XInteractionRequest.hpp>
#include <com/sun/star/ucb/InteractiveIOException.hpp>

using css::uno::Reference;
using css::uno::UNO_QUERY;

void SAL_CALL OfficeInteractionHandler::handle(const Reference<css::task::XInteractionRequest>& request)
{
    if (!request.is())
        return;
    const css::uno::Any what = request->getRequest();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_log.requestTypes << toQString(what.getValueTypeName());
        css::task::PasswordRequest passwordRequest;
        css::document::BrokenPackageRequest brokenRequest;
        css::ucb::InteractiveIOException ioError;
        if (what >>= passwordRequest)
            m_log.passwordRequested = true;
        else if (what >>= brokenRequest)
            m_log.damagedFile = true;
        else if (what >>= ioError)
            m_log.ioErrorMessage = toQString(ioError.Message);
    }

    // Decline: abort when offered, else disapprove. A request that offers
    // neither is left unanswered, which the office takes as a refusal.
    const auto continuations = request->getContinuations();
    Reference<css::task::XInteractionContinuation> disapprove;
    for (const auto& c : continuations) {
        if (Reference<css::task::XInteractionAbort>(c, UNO_QUERY).is()) {
            c->select();
            return;
        }
        if (!disapprove.is() && Reference<css::task::XInteractionDisapprove>(c, UNO_QUERY).is())
            disapprove = c;
    }
    if (disapprove.is())
        disapprove->select();
}

OfficeInteractionLog OfficeInteractionHandler::log() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_log;
}
