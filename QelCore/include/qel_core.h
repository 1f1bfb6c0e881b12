/* The speech engine library's C interface: a loaded Whisper model that
 * transcribes 16 kHz mono float samples. Strings are NUL-terminated UTF-8. */
#ifndef QEL_CORE_H
#define QEL_CORE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct qel_engine qel_engine;

/* Borrowed version text; never freed by the caller. */
const char* qel_version(void);

/* Loads the ggml model file at model_path. language is a language code or
 * "auto". Returns NULL on failure; qel_last_error() then says why. */
qel_engine* qel_engine_new(const char* model_path, const char* language);

/* Sets the text that primes recognition. Returns 0 on success. */
int32_t qel_engine_set_initial_prompt(qel_engine* engine, const char* prompt);

/* Runs one silent window so the first real transcription pays no warm-up.
 * Returns 0 on success. */
int32_t qel_engine_prewarm(qel_engine* engine);

/* Transcribes count samples. Returns a newly allocated text that the caller
 * releases with qel_string_free, or NULL on failure. The text is valid UTF-8
 * (ill-formed sequences replaced by U+FFFD) and holds no NUL byte before its
 * end. NaN and infinite samples count as silence. Safe to call from several
 * threads at once on one engine. */
char* qel_engine_transcribe(qel_engine* engine, const float* samples, int64_t count);

/* Releases a text returned by qel_engine_transcribe. */
void qel_string_free(char* text);

/* Borrowed description of the calling thread's most recent failure, or NULL. */
const char* qel_last_error(void);

/* Releases the engine. No other call on the same engine, a transcription
 * included, may be running or start once this call has begun. */
void qel_engine_free(qel_engine* engine);

#ifdef __cplusplus
}
#endif

#endif
