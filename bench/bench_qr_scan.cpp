// The QR code's costs on the child's and the parent's screens: reading one
// 1280 x 720 camera frame (NV12 and BGRA) with a pairing code turned 10° on a
// grey, noisy background and without any code; drawing a pairing payload's
// code (it runs on redraws); and the child's screen with 1,000 tasks redrawing
// a refresh answer in which one task changed, ending with the window painted.
#include <benchmark/benchmark.h>

#include <QPainter>
#include <QRandomGenerator>

#include "BenchHarness.h"
#include "account/AccountSession.h"
#include "components/CameraQrCodeScanner.h"
#include "components/QrImage.h"
#include "platform/Keychain.h"
#include "services/Preferences.h"
#include "views/family/ChildFamilyView.h"
#include "views/family/ChildTaskList.h"

namespace {

const QString kPayload = QStringLiteral("zanbeck://pair?token=Qm9vS2VlcGVyLXBhaXJpbmctdG9rZW4tZXhhbXBsZQ");

// What a phone camera might see: grey with sensor noise, the code (when
// wanted) about a third of the height, turned 10° and off centre.
QImage cameraPicture(bool withCode) {
    QImage picture(1280, 720, QImage::Format_RGB32);
    QRandomGenerator noise(42);
    for (int y = 0; y < picture.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            const int grey = 110 + int(noise.bounded(40));
            line[x] = qRgb(grey, grey, grey);
        }
    }
    if (withCode) {
        QPainter p(&picture);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.translate(760, 330);
        p.rotate(10);
        p.drawImage(QRectF(-150, -150, 300, 300), *qrImage(kPayload));
    }
    return picture;
}

void decodeFrame(benchmark::State& state) {
    const auto format =
        state.range(0) == 0 ? QVideoFrameFormat::Format_NV12 : QVideoFrameFormat::Format_BGRA8888;
    const bool withCode = state.range(1) == 1;
    const QVideoFrame frame = videoFrameFromImage(cameraPicture(withCode), format);
    if (decodeQrFrame(frame).has_value() != withCode)
        state.SkipWithError("the frame did not read as expected");
    for (auto _ : state) benchmark::DoNotOptimize(decodeQrFrame(frame));
    state.SetLabel(std::string(format == QVideoFrameFormat::Format_NV12 ? "NV12" : "BGRA") +
                   (withCode ? ", code" : ", no code"));
}
BENCHMARK(decodeFrame)->ArgsProduct({{0, 1}, {1, 0}})->Unit(benchmark::kMillisecond);

void drawPairingCode(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(qrImage(kPayload));
}
BENCHMARK(drawPairingCode)->Unit(benchmark::kMicrosecond);

class NoKeychain : public Keychain {
public:
    ReadResult read(const QString&, const QString&) override { return {Status::notFound, {}, {}}; }
    Status write(const QString&, const QString&, const QByteArray&, QString*) override { return Status::ok; }
    Status remove(const QString&, const QString&, QString*) override { return Status::notFound; }
};

QList<FamilyTask> childTasks(int count) {
    QList<FamilyTask> tasks;
    for (int i = 0; i < count; ++i) {
        static const char* statuses[] = {"active", "review", "done"};
        tasks.append({QStringLiteral("task-%1").arg(i),
                      QStringLiteral("Задание номер %1: убрать комнату").arg(i), 100 * (i % 50 + 1),
                      QString::fromLatin1(statuses[i % 3]), QStringLiteral("child-1"), QStringLiteral("Аня"),
                      std::nullopt, std::nullopt, std::nullopt});
    }
    return tasks;
}

// The list is fed the tasks as the screen feeds it on every refresh answer.
struct ChildScreen {
    ChildScreen() : view(new ChildFamilyView(account)), phone(view) {
        view->taskList()->setTasks(tasks, QStringLiteral("CNY"), {});
        phone.redraw();
    }
    QTemporaryDir dir;
    NoKeychain keychain;
    Preferences preferences{dir.filePath("preferences.ini")};
    AccountSession account{keychain, preferences};
    QList<FamilyTask> tasks = childTasks(1000);
    ChildFamilyView* view;
    PhoneWindow phone;
};

void childScreenRefreshAnswer(benchmark::State& state) {
    ChildScreen screen;
    int turn = 0;
    for (auto _ : state) {
        // One task moved on to review since the last answer.
        FamilyTask& changed = screen.tasks[(turn++ * 3) % screen.tasks.size()];
        changed.status =
            changed.status == QLatin1String("active") ? QStringLiteral("review") : QStringLiteral("active");
        screen.view->taskList()->setTasks(screen.tasks, QStringLiteral("CNY"), {});
        screen.phone.redraw();
    }
}
BENCHMARK(childScreenRefreshAnswer)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return runWidgetBenchmarks(argc, argv); }
