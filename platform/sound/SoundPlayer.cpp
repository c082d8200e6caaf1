#include "platform/sound/SoundPlayer.h"

#include <canberra.h>
#include <dlfcn.h>
#include <link.h>

#include <string_view>

namespace kelm {

namespace {

// libcanberra's ALSA output lets the context go before a sound's thread has
// run its last instructions, and destroying the context unloads the output
// module: a context destroyed as a sound ends would leave that thread in
// code that is gone. The output modules (its plugin folder, libcanberra-*/)
// therefore stay loaded until the process ends.
void KeepOutputModulesLoaded() {
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void*) {
            const std::string_view name = info->dlpi_name != nullptr ? info->dlpi_name : "";
            const auto folder = name.find("/libcanberra-");
            if (folder != std::string_view::npos && name.find('/', folder + 1) != std::string_view::npos)
                dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
}

}  // namespace

CanberraSoundPlayer::CanberraSoundPlayer(std::string applicationName) : applicationName_(std::move(applicationName)) {}

CanberraSoundPlayer::~CanberraSoundPlayer() {
    if (context_ != nullptr) ca_context_destroy(context_);
}

bool CanberraSoundPlayer::OpenContext() {
    if (context_ != nullptr) return true;
    ca_context* context = nullptr;
    if (ca_context_create(&context) != CA_SUCCESS) return false;
    ca_context_change_props(context, CA_PROP_APPLICATION_NAME, applicationName_.c_str(), nullptr);
    if (ca_context_open(context) != CA_SUCCESS) {
        ca_context_destroy(context);
        return false;
    }
    context_ = context;
    KeepOutputModulesLoaded();
    return true;
}

void CanberraSoundPlayer::CancelCurrent() {
    if (context_ != nullptr && current_ != 0) ca_context_cancel(context_, current_);
    current_ = 0;
}

bool CanberraSoundPlayer::Play(const std::string& path) {
    const std::lock_guard lock(mutex_);
    CancelCurrent();
    if (path.empty() || !OpenContext()) return false;

    ca_proplist* props = nullptr;
    if (ca_proplist_create(&props) != CA_SUCCESS) return false;
    ca_proplist_sets(props, CA_PROP_MEDIA_FILENAME, path.c_str());
    ca_proplist_sets(props, CA_PROP_MEDIA_ROLE, "event");
    // The sound server would keep every file in its sample cache, and a
    // wave file changed on disk would go on sounding as it was.
    ca_proplist_sets(props, CA_PROP_CANBERRA_CACHE_CONTROL, "never");
    // Ids only grow, so cancelling an old id never reaches a newer sound;
    // 0 stays free to mean none.
    if (++lastId_ == 0) ++lastId_;
    const std::uint32_t id = lastId_;
    const bool started = ca_context_play_full(context_, id, props, nullptr, nullptr) == CA_SUCCESS;
    ca_proplist_destroy(props);
    if (started) current_ = id;
    return started;
}

void CanberraSoundPlayer::Stop() {
    const std::lock_guard lock(mutex_);
    CancelCurrent();
}

}  // namespace kelm
