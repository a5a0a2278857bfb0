#include "updater/update_application.h"

#include "ui/instance_client.h"
#include "update/site_address.h"
#include "update/update_format.h"

namespace tarnel::updater {
namespace {

update::UpdateRunInput runInput(const UpdateApplication::Options& options) {
    update::UpdateRunInput input;
    input.programDirectory = options.programDirectory;
    input.siteBase = update::readSiteBase(options.programDirectory / update::kSettingsFile)
                         .value_or(std::string());
    input.mainLockFile = ui::instance::lockFilePath(options.runtimeFolder).toStdString();
    input.runLockFile = ui::instance::updateLockFilePath(options.runtimeFolder).toStdString();
    return input;
}

} // namespace

UpdateApplication::UpdateApplication(const Options& options)
    : m_channel(ui::instance::socketPath(options.runtimeFolder)) {
    UpdateWizard::Services services;
    services.prompt = options.prompt;
    services.channel = &m_channel;
    services.launcher = options.launcher;
    m_wizard = std::make_unique<UpdateWizard>(runInput(options), services);
}

UpdateApplication::~UpdateApplication() = default;

bool UpdateApplication::start() {
    return m_wizard->start() == update::RunStart::Ready;
}

int UpdateApplication::exec() {
    if (!start()) {
        return UpdateWizard::kFailed;
    }
    return m_wizard->exec();
}

} // namespace tarnel::updater
