// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/OutputPlan.h"

#include <map>

namespace fs = std::filesystem;

namespace app {
namespace {

constexpr const char* CollisionText = "Another entry of the list gives the same output";
constexpr const char* ExistsText = "The output file exists already";
constexpr const char* OutsideText = "The output would lie outside the target folder";

PlannedOutput PlanOne(const fs::path& input, const NamingChoice& naming)
{
    PlannedOutput plan;
    try {
        plan.path = MakeOutputPath(input, naming);
    } catch (const std::exception& error) {
        return {{}, OutputMark::Refused, error.what()};
    }
    if (plan.path.empty())
        return {{}, OutputMark::Refused, OutsideText};
    std::error_code ec;
    if (fs::exists(plan.path, ec)) {
        plan.mark = OutputMark::Exists;
        plan.reason = ExistsText;
    }
    return plan;
}

}  // namespace

std::vector<PlannedOutput> PlanOutputs(const std::vector<fs::path>& inputs, const NamingChoice& naming)
{
    std::vector<PlannedOutput> plans;
    std::map<std::string, std::size_t> first;
    for (const fs::path& input : inputs) {
        plans.push_back(PlanOne(input, naming));
        PlannedOutput& plan = plans.back();
        if (plan.path.empty())
            continue;
        const auto [earlier, isNew] = first.emplace(plan.path, plans.size() - 1);
        if (isNew)
            continue;
        for (PlannedOutput* marked : {&plans[earlier->second], &plan}) {
            marked->mark = OutputMark::Collision;
            marked->reason = CollisionText;
        }
    }
    return plans;
}

std::string ShownOutput(const std::string& path, const std::string& targetFolder)
{
    const std::string root = TargetRoot(targetFolder);
    if (!root.empty() && path.size() > root.size() && path.compare(0, root.size(), root) == 0)
        return path.substr(root.size());
    return path;
}

}  // namespace app
