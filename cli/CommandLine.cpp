// mendrix-cli's command line: the options of each command, and the command run.
#include "cli/Commands.h"

#include "Version.h"
#include "commands/Messages.h"
#include "platform/DllSearch.h"
#include "platform/ProgramArguments.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <exception>

namespace {

using platform::console::Answer;

// --yes / --no on a command that may ask.
struct Answers {
    bool yes = false;
    bool no = false;
    void AddTo(CLI::App* cmd)
    {
        CLI::Option* yesOpt = cmd->add_flag("--yes", yes, "answer Yes to every question");
        CLI::Option* noOpt = cmd->add_flag("--no", no, "answer No to every question");
        yesOpt->excludes(noOpt);
    }
    Answer Get() const { return yes ? Answer::Yes : no ? Answer::No : Answer::Ask; }
};

std::vector<CLI::App*> AllCommands(CLI::App& app)
{
    return app.get_subcommands([](CLI::App*) { return true; });
}

// The first word that is no option, when it names no command: the program's
// own options take no values, so that word is where a command must stand.
const char* UnknownCommand(CLI::App& app, int argc, char** argv)
{
    const std::vector<CLI::App*> commands = AllCommands(app);
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] == '-') continue;
        const bool known = std::any_of(commands.begin(), commands.end(),
                                       [word = argv[i]](const CLI::App* c) { return c->check_name(word); });
        return known ? nullptr : argv[i];
    }
    return nullptr;
}

// The commands as a list: "info, check, ... and sectors".
std::string CommandNames(CLI::App& app)
{
    const std::vector<CLI::App*> commands = AllCommands(app);
    std::string names;
    for (std::size_t i = 0; i < commands.size(); ++i) {
        if (i > 0) names += i + 1 == commands.size() ? " and " : ", ";
        names += commands[i]->get_name();
    }
    return names;
}

// What apply and undo share, in the order their help lists it.
void AddApplyOptions(CLI::App* cmd, cli::ApplyOptions& options, Answers& answers)
{
    answers.AddTo(cmd);
    cmd->add_flag("--fix-sectors", options.fixSectors, "keep the EDC/ECC of the raw sectors the patch touches right");
    cmd->add_flag("-q,--quiet", options.quiet, "show no progress bar");
    cmd->add_option("--backup", options.backup, "first write BACKUP, a patch that puts the overwritten bytes back")
        ->type_name("BACKUP");
    cmd->add_option("PATCH", options.patch, "the .kdx patch")->required();
    cmd->add_option("IMAGE", options.image, "the image file to change, or its cue sheet")->required();
}

int Dispatch(int argc, char** argv, kdx::FileSystem& files)
{
    CLI::App app{"mendrix-cli: list, check, apply, undo and make KDX patches for CD image files", "mendrix-cli"};
    // Only -x and --option are options on every system: on Windows a path
    // may start with "/" (the drive's root) and must stay a path. Set before
    // the commands are added, which take it over.
    app.allow_windows_style_options(false);
    app.require_subcommand(1);
    app.set_version_flag("--version", "mendrix-cli " MENDRIX_VERSION "\n" MENDRIX_LICENCE,
                         "print the version and the licence, and exit");

    std::string infoPatch;
    bool infoJson = false;
    CLI::App* info = app.add_subcommand("info", "List what a patch holds");
    info->add_flag("--json", infoJson, "print the facts as one JSON object");
    info->add_option("PATCH", infoPatch, "the .kdx patch (or a cue sheet: its tracks)")->required();

    std::string checkPatch;
    std::string checkImage;
    CLI::App* check = app.add_subcommand("check", "Check a patch against an image without writing");
    check->add_option("PATCH", checkPatch, "the .kdx patch")->required();
    check->add_option("IMAGE", checkImage, "the image file, or its cue sheet")->required();

    cli::ApplyOptions apply;
    Answers applyAnswers;
    CLI::App* applyCmd = app.add_subcommand("apply", "Write a patch into an image in place");
    applyCmd->add_flag("--undo", apply.undo, "write the undo data of a version 3.0 patch (take the patch out)");
    AddApplyOptions(applyCmd, apply, applyAnswers);

    cli::ApplyOptions undo;
    undo.undo = true;
    Answers undoAnswers;
    CLI::App* undoCmd = app.add_subcommand("undo", "Take a version 3.0 patch with undo data back out of an image");
    AddApplyOptions(undoCmd, undo, undoAnswers);

    cli::MakeOptions make;
    CLI::App* makeCmd = app.add_subcommand("make", "Write the patch that turns ORIGINAL into MODIFIED");
    makeCmd->add_option("ORIGINAL", make.original, "the image as it is (a file, or its cue sheet)")->required();
    makeCmd->add_option("MODIFIED", make.modified, "the image as the patch makes it (a file, or its cue sheet)")->required();
    makeCmd->add_option("-o,--output", make.output, "the patch file to write")->required();
    makeCmd->add_option("--kdx-version", make.version, "patch format version 1, 2 or 3 (default 3)")
        ->check(CLI::Range(1, 3));
    makeCmd->add_flag("--undo", make.undo, "keep the original bytes in the patch (version 3)");
    makeCmd->add_flag("--blockcheck", make.blockCheck, "store the original's check block (version 3; 2 always does)");
    makeCmd->add_flag("--gi", make.giImage, "mark the image as a GI image, block at 32928 (version 3)");
    makeCmd->add_option("--description", make.description, "up to 50 bytes of description");
    makeCmd->add_option("--diz", make.diz, "attach this file as FILE_ID.DIZ (versions 2 and 3)")->type_name("FILE");
    makeCmd->add_flag("--fix-sectors", make.fixSectors, "make the patch as if MODIFIED's broken raw sectors were fixed");
    makeCmd->add_flag("-q,--quiet", make.quiet, "show no progress bar");

    cli::SectorsOptions sectors;
    Answers sectorsAnswers;
    CLI::App* sectorsCmd = app.add_subcommand("sectors", "Check (or fix) the EDC/ECC of a raw image's sectors");
    sectorsCmd->add_flag("--json", sectors.json, "print the counts as one JSON object");
    sectorsCmd->add_flag("--fix", sectors.fix, "write the right EDC/ECC into the wrong sectors, in place");
    sectorsAnswers.AddTo(sectorsCmd);
    sectorsCmd->add_flag("-q,--quiet", sectors.quiet, "show no progress bar");
    sectorsCmd->add_option("IMAGE", sectors.image, "the raw image file, or its cue sheet")->required();

    cli::MergeOptions merge;
    CLI::App* mergeCmd =
        app.add_subcommand("merge", "Write the image behind a cue sheet as one file, with its cue sheet beside it");
    mergeCmd->add_option("CUE", merge.cue, "the cue sheet of the image")->required();
    mergeCmd->add_option("-o,--output", merge.output, "the one-file image to write (IMAGE.cue goes beside it)")
        ->required()
        ->type_name("IMAGE");
    mergeCmd->add_flag("--yes", merge.yes, "replace files of those names");
    mergeCmd->add_flag("-q,--quiet", merge.quiet, "show no progress bar");

    if (const char* unknown = UnknownCommand(app, argc, argv)) {
        std::fprintf(stderr, "%s\n\n%s", commands::text::UnknownCommand(unknown, CommandNames(app)).c_str(),
                     app.help().c_str());
        return cli::kExitUsage;
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::fputs(app.help().c_str(), stdout);
        return cli::kExitOk;
    } catch (const CLI::CallForVersion& e) {
        std::printf("%s\n", e.what());
        return cli::kExitOk;
    } catch (const CLI::ParseError& e) {
        std::fprintf(stderr, "%s\n\n%s", e.what(), app.help().c_str());
        return cli::kExitUsage;
    }

    if (info->parsed()) return cli::Info(infoPatch, infoJson, files);
    if (check->parsed()) return cli::Check(checkPatch, checkImage, files);
    if (makeCmd->parsed()) return cli::Make(make, files);
    if (mergeCmd->parsed()) return cli::Merge(merge, files);
    if (sectorsCmd->parsed()) {
        sectors.answer = sectorsAnswers.Get();
        return cli::Sectors(sectors, files);
    }
    if (undoCmd->parsed()) {
        undo.answer = undoAnswers.Get();
        return cli::Apply(undo, files);
    }
    apply.answer = applyAnswers.Get();
    return cli::Apply(apply, files);
}

}  // namespace

int cli::Run(std::vector<std::string> arguments, kdx::FileSystem& files)
{
    std::vector<char*> utf8;
    for (std::string& argument : arguments) utf8.push_back(argument.data());
    return Dispatch(static_cast<int>(utf8.size()), utf8.data(), files);
}

int cli::Main(int argc, char** argv, kdx::FileSystem& files)
{
    platform::LoadDllsFromSystemOnly();
    try {
        platform::UseByteStreams();
        return Run(platform::ProgramArguments(argc, argv), files);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mendrix-cli: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "mendrix-cli: unknown error\n");
    }
    return cli::kExitFailed;
}
