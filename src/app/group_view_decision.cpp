#include "app/group_view_decision.h"

#include <algorithm>

bool keepGroupView(const GroupViewAnswers& answers)
{
    // A list view without groups may answer 0 ("already as asked") to the
    // enable, as Wine's does; only the question afterwards tells.
    if (answers.enableResult < 0 || !answers.reportedOn) {
        return false;
    }
    return std::all_of(answers.insertResults.begin(), answers.insertResults.end(),
                       [](int64_t index) { return index >= 0; });
}
