#include "TempOutput.h"

#include <cerrno>
#include <random>
#include <stdexcept>
#include <string>

namespace mac {

TempOutput::TempOutput(std::filesystem::path target) : target_(std::move(target))
{
    std::random_device entropy;
    for (int attempt = 0; attempt < 100 && !file_ && (attempt == 0 || errno == EEXIST); ++attempt) {
        const auto tag = std::to_string(entropy() % 1000000000u);
        temp_ = target_;
        temp_ += "." + tag + ".part";
        // "x": created here or not at all, never an existing file.
        file_.reset(std::fopen(temp_.c_str(), "wbx"));
    }
    if (!file_)
        throw std::runtime_error("cannot create a file beside the output");
}

TempOutput::~TempOutput()
{
    if (committed_)
        return;
    file_.reset();
    std::error_code ignored;
    std::filesystem::remove(temp_, ignored);
}

void TempOutput::Commit()
{
    const bool written = std::fflush(file_.get()) == 0 && std::fclose(file_.release()) == 0;
    if (!written)
        throw std::runtime_error("cannot write the output file");
    std::error_code error;
    std::filesystem::rename(temp_, target_, error);
    if (error)
        throw std::runtime_error("cannot put the output in place: " + error.message());
    committed_ = true;
}

}  // namespace mac
