#include "shell/mainMOD.h"

#include "quiz/frmMain.h"
#include "shell/StepRunner.h"

namespace qd {

namespace {
constexpr const char* kLocation = "3501";
}

void Main()
{
    Steps steps(kLocation);
    steps([] {
        frmMain form;
        form.exec();
    });
}

}  // namespace qd
