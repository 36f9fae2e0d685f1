#include "widgets/notices.h"

#include "widgets/messages.h"

void Notices::fail(const Failure &failure) const
{
    showFailure(&window_, failure);
    if (failure.fatal && terminate_)
        terminate_();
}

void Notices::done(const QString &text) const { showDone(&window_, text); }

void Notices::saved(const Outcome &ended) const
{
    if (ended)
        done(QStringLiteral("Finish Save"));
    else
        fail(ended.failure());
}
