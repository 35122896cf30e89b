// mendrix-cli: the patch engine from a terminal.
#include "Commands.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>

namespace {

int Run(int argc, char** argv)
{
    CLI::App app{"mendrix-cli: list and apply KDX patches to CD image files", "mendrix-cli"};
    app.require_subcommand(1);

    std::string infoPatch;
    CLI::App* info = app.add_subcommand("info", "List what a patch holds");
    info->add_option("PATCH", infoPatch, "the .kdx patch")->required();

    cli::ApplyOptions apply;
    bool yes = false;
    bool no = false;
    CLI::App* applyCmd = app.add_subcommand("apply", "Write a patch into an image in place");
    applyCmd->add_flag("--undo", apply.undo, "write the undo data of a version 3.0 patch (take the patch out)");
    CLI::Option* yesOpt = applyCmd->add_flag("--yes", yes, "answer Yes to every question");
    CLI::Option* noOpt = applyCmd->add_flag("--no", no, "answer No to every question");
    yesOpt->excludes(noOpt);
    applyCmd->add_option("PATCH", apply.patch, "the .kdx patch")->required();
    applyCmd->add_option("IMAGE", apply.image, "the image file to change")->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::fputs(app.help().c_str(), stdout);
        return cli::kExitOk;
    } catch (const CLI::ParseError& e) {
        std::fprintf(stderr, "%s\n\n%s", e.what(), app.help().c_str());
        return cli::kExitUsage;
    }

    if (info->parsed()) return cli::Info(infoPatch);
    apply.answer = yes ? platform::console::Answer::Yes
                 : no  ? platform::console::Answer::No
                       : platform::console::Answer::Ask;
    return cli::Apply(apply);
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        return Run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mendrix-cli: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "mendrix-cli: unknown error\n");
    }
    return cli::kExitFailed;
}
