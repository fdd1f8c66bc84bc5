#include "jobs/job_frontend.h"

// The fixed texts the window has always shown for a failed job: the system's text under the
// PC path where there is one, else the text of the result.
void JobFrontEnd::ShowBlockFailure(const BlockFailure& failure) {
    if (failure.status == -1 && !failure.path.empty())
        ShowSystemError(failure.path);
    else
        ShowResultMessage(failure.status);
}
