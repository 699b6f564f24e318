#include "StartUpBench.h"

#include "platform/Cp1251.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

#include <chrono>
#include <filesystem>
#include <stdexcept>

namespace fs = std::filesystem;

namespace zo::bench {

namespace {

// A program folder for the program's runs beside the benchmark's own: its
// folders linked, the libraries linked but the logging library copied (it
// keeps its log beside itself, so the runs log here, not into the built folder).
std::string startUpFolder(const ProgramFolder& folder) {
    const fs::path root = folder.path() / "startup";
    if (fs::exists(root)) return root.string();
    fs::create_directory(root);
    for (const char* d : {"Struct", "Device", "Library", "Project", "Runtime", "Configuration", "Upload"})
        fs::create_directory_symlink(folder.path() / d, root / d);
    fs::create_directory(root / "System");
    for (const auto& entry : fs::directory_iterator(folder.path() / "System")) {
        const fs::path target = fs::canonical(entry.path());
        if (entry.path().filename() == "ZoLogs.so") fs::copy_file(target, root / "System" / "ZoLogs.so");
        else fs::create_symlink(target, root / "System" / entry.path().filename());
    }
    return root.string();
}

// A copy of the project whose first sheet has an open window of 640 x 360.
std::string withOpenWindow(const std::string& project, const std::string& copy) {
    QFile in(QString::fromStdString(project));
    if (!in.open(QIODevice::ReadOnly)) throw std::runtime_error(project + " cannot be read");
    QByteArray text = in.readAll();
    const QByteArray sheet = QByteArray::fromStdString(platform::utf8ToCp1251("<Схема "));
    const qsizetype at = text.indexOf(sheet);
    const qsizetype end = at < 0 ? -1 : text.indexOf('>', at);
    if (end < 0) throw std::runtime_error(project + " holds no sheet");
    // The sheet's element without a placement of its own, then the open window's.
    QString element = QString::fromLatin1(text.mid(at, end - at));
    element.remove(QRegularExpression(QStringLiteral(" (WindowOpen|Left|Top|Right|Bottom|Scale|HScroll|VScroll)=\"[^\"]*\"")));
    if (element.endsWith('/')) element.chop(1);
    element += QStringLiteral(" WindowOpen=\"1\" Left=\"0\" Top=\"0\" Right=\"640\" Bottom=\"360\" Scale=\"1\"");
    if (text.at(end - 1) == '/') element += '/';
    text.replace(at, end - at, element.toLatin1());
    QFile out(QString::fromStdString(copy));
    if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size())
        throw std::runtime_error(copy + " cannot be written");
    return copy;
}

// One start of the program on the project: seconds from the process start to
// its first painted scheme window; negative when it did not get there (why in failure).
double startOnce(const std::string& programFolder, const std::string& project, std::string& failure) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("ZO_STARTUP_FOLDER", QString::fromStdString(programFolder));
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    const auto start = std::chrono::steady_clock::now();
    process.start(ZO_STARTUP_PROBE, {QString::fromStdString(project)});
    if (!process.waitForStarted(10000) || !process.waitForFinished(180000)) {
        process.kill();
        process.waitForFinished();
        failure = "the program did not end";
        return -1;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        failure = "the program painted no scheme window (exit " + std::to_string(process.exitCode()) + "): " +
                  process.readAllStandardError().right(600).toStdString();
        return -1;
    }
    bool ok = false;
    const long long painted = process.readAllStandardOutput().trimmed().toLongLong(&ok);
    if (!ok) {
        failure = "the program reported no time";
        return -1;
    }
    const long long started = std::chrono::duration_cast<std::chrono::nanoseconds>(start.time_since_epoch()).count();
    return double(painted - started) * 1e-9;
}

void registerStart(const std::string& name, const std::string& programFolder, const std::string& project,
                   bool once) {
    auto* b = benchmark::RegisterBenchmark(name.c_str(), [programFolder, project](benchmark::State& state) {
        for (auto _ : state) {
            std::string failure;
            const double seconds = startOnce(programFolder, project, failure);
            if (seconds < 0) {
                state.SkipWithError(failure.c_str());
                break;
            }
            state.SetIterationTime(seconds);
        }
    });
    b->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
    if (!once) b->Repetitions(5);
}

}  // namespace

void RunStartUpBench(ProgramFolder& folder, KernelHost& host, const std::string& large, const std::string& label,
                     bool once, RunCollector& runs, std::vector<TableRow>& rows) {
    const std::string program = startUpFolder(folder);
    const std::string example = folder.file("Project/ExamplePLC.hc");
    if (!fs::exists(example)) fs::copy_file(std::string(ZO_PROGRAM_DIR) + "/Project/ExamplePLC.hc", example);
    registerStart("StartUp/example", program, example, once);
    std::string largeCopy;
    if (!large.empty()) {
        largeCopy = withOpenWindow(large, folder.file("Project/StartUpLarge.hc"));
        registerStart("StartUp/large", program, largeCopy, once);
        auto* open = benchmark::RegisterBenchmark("OpenProject.startup/large", [&host, largeCopy](benchmark::State& state) {
            for (auto _ : state) {
                state.PauseTiming();
                host.closeProject();
                state.ResumeTiming();
                if (const int32_t rc = host.kernel().OpenProject(largeCopy.c_str()); rc != 0)
                    state.SkipWithError(("OpenProject answered " + std::to_string(rc)).c_str());
            }
        });
        open->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(1);
        if (!once) open->Repetitions(5);
    }
    benchmark::RunSpecifiedBenchmarks(&runs);
    benchmark::ClearRegisteredBenchmarks();
    host.closeProject();
    rows.push_back({"Start-up to the first painted scheme window", "example project", "StartUp/example", "", "",
                    TableRow::Target::AbsoluteSeconds, 0.5, "", 0, ""});
    if (!large.empty())
        rows.push_back({"Start-up to the first painted scheme window", label, "StartUp/large",
                        "OpenProject.startup/large", "OpenProject alone", TableRow::Target::RatioToReference, 1.5, "",
                        0, ""});
}

}  // namespace zo::bench
