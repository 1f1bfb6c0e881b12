#include "Platform/Audio/AudioSources.h"

#include <pulse/context.h>
#include <pulse/def.h>
#include <pulse/error.h>
#include <pulse/introspect.h>
#include <pulse/subscribe.h>

namespace Platform::Audio {

namespace {

void addSource(pa_context*, const pa_source_info* info, int isLast, void* userdata)
{
    if (isLast || !info || info->monitor_of_sink != PA_INVALID_INDEX)
        return;
    const char* vendor = pa_proplist_gets(info->proplist, PA_PROP_DEVICE_VENDOR_NAME);
    static_cast<std::vector<AudioSource>*>(userdata)->push_back(
        {info->index, info->name ? info->name : "", info->description ? info->description : "", vendor ? vendor : "",
         info->sample_spec.channels, info->sample_spec.rate});
}

struct ServerFacts {
    std::string defaultSource;
};

void readServerFacts(pa_context*, const pa_server_info* info, void* userdata)
{
    if (info && info->default_source_name)
        static_cast<ServerFacts*>(userdata)->defaultSource = info->default_source_name;
}

struct Outcome {
    bool succeeded = false;
};

void recordOutcome(pa_context*, int success, void* userdata)
{
    static_cast<Outcome*>(userdata)->succeeded = success != 0;
}

void onEvent(pa_context*, pa_subscription_event_type_t event, std::uint32_t, void* userdata)
{
    const auto facility = event & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    const auto type = event & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
    // A source also changes whenever recording from it starts or stops; only
    // arrivals, departures and changes of the server (its default source among
    // them) change the list.
    const bool sourceCameOrWent = facility == PA_SUBSCRIPTION_EVENT_SOURCE && type != PA_SUBSCRIPTION_EVENT_CHANGE;
    if (sourceCameOrWent || facility == PA_SUBSCRIPTION_EVENT_SERVER)
        (*static_cast<std::function<void()>*>(userdata))();
}

} // namespace

std::vector<AudioSource> recordingSources(const SoundServerConnection& connection)
{
    SoundServerConnection::Lock lock(connection);
    std::vector<AudioSource> sources;
    connection.finish(lock, pa_context_get_source_info_list(connection.context(), addSource, &sources));
    return sources;
}

std::string defaultSourceName(const SoundServerConnection& connection)
{
    SoundServerConnection::Lock lock(connection);
    ServerFacts facts;
    connection.finish(lock, pa_context_get_server_info(connection.context(), readServerFacts, &facts));
    return facts.defaultSource;
}

AudioSource defaultRecordingSource(const SoundServerConnection& connection)
{
    const std::string name = defaultSourceName(connection);
    if (name.empty())
        throw SoundServerError(PA_ERR_NOENTITY, "the sound server has no default source");
    for (AudioSource& input : recordingSources(connection))
        if (input.name == name)
            return std::move(input);
    throw SoundServerError(PA_ERR_NOENTITY, "the default source \"" + name + "\" is not an input");
}

AudioSource recordingSource(const SoundServerConnection& connection, std::uint32_t index)
{
    for (AudioSource& input : recordingSources(connection))
        if (input.index == index)
            return std::move(input);
    throw SoundServerError(PA_ERR_NOENTITY, "no source that records has the index " + std::to_string(index));
}

void setDefaultSource(const SoundServerConnection& connection, const std::string& name)
{
    SoundServerConnection::Lock lock(connection);
    Outcome outcome;
    connection.finish(lock, pa_context_set_default_source(connection.context(), name.c_str(), recordOutcome, &outcome));
    if (!outcome.succeeded)
        throw connection.lastError("cannot make \"" + name + "\" the default source");
}

SourceChangeWatch::SourceChangeWatch(const SoundServerConnection& connection, std::function<void()> onChange)
    : connection_(connection), onChange_(std::move(onChange))
{
    SoundServerConnection::Lock lock(connection_);
    pa_context_set_subscribe_callback(connection_.context(), onEvent, &onChange_);
    try {
        const auto mask =
            static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SOURCE | PA_SUBSCRIPTION_MASK_SERVER);
        Outcome outcome;
        connection_.finish(lock, pa_context_subscribe(connection_.context(), mask, recordOutcome, &outcome));
        if (!outcome.succeeded)
            throw connection_.lastError("cannot follow the changes of the sources");
    } catch (...) {
        pa_context_set_subscribe_callback(connection_.context(), nullptr, nullptr);
        throw;
    }
}

SourceChangeWatch::~SourceChangeWatch()
{
    SoundServerConnection::Lock lock(connection_);
    pa_context_set_subscribe_callback(connection_.context(), nullptr, nullptr);
}

} // namespace Platform::Audio
