#include "App/STT/QelCoreLibrary.h"

namespace QEL {

const QelCoreLibrary& QelCoreLibrary::linked()
{
    static const QelCoreLibrary library{
        qel_version,         qel_engine_new,  qel_engine_set_initial_prompt, qel_engine_prewarm,
        qel_engine_transcribe, qel_string_free, qel_last_error,              qel_engine_free,
    };
    return library;
}

} // namespace QEL
