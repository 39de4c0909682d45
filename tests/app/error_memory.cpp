// Not a test: shows a thousand errors through the window, the way a teacher meets them (a
// digit field that does not convert, then Preview), and prints resident memory before and
// after. An error that unwound through Qt's dispatch used to leave memory behind each time.
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <cstdio>
#include <fstream>
#include <string>

#include "app/Fmain.h"
#include "app/application.h"
#include "recording_dialogs.h"

namespace {

long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    RecordingDialogs dialogs;
    TForm1 form;
    form.show();
    form.u1l->setText(QStringLiteral("x"));
    long long shown = 0;
    const auto errors = [&](int count) {
        for (int i = 0; i < count; ++i) {
            QTest::mouseClick(form.btnPreview, Qt::LeftButton);
            shown += dialogs.Events.size();
            dialogs.Events.clear();  // the record itself must not be what grows
        }
        QCoreApplication::processEvents();
    };
    errors(100);  // caches, fonts and the first box's one-off allocations
    shown = 0;
    const long before = ResidentKiB();
    errors(1000);
    const long after = ResidentKiB();
    std::printf("errors shown: %lld\nresident before: %ld KiB\nresident after:  %ld KiB\ngrowth: %ld KiB\n", shown,
                before, after, after - before);
    return shown == 1000 ? 0 : 1;
}
