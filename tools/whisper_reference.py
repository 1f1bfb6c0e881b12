#!/usr/bin/python3
"""Plain numpy forward pass of a ggml Whisper model, used to check the C++ runtime.

Written from the model's published architecture rather than from the runtime,
in float64 throughout, so that the two disagree only by rounding. Same command
line and output files as qel-whisper-inspect:

    whisper_reference.py MODEL AUDIO_F32 OUTDIR [--language CODE] [--prompt TEXT] [--steps N]

AUDIO_F32 is raw little-endian float32 at 16 kHz, mono. OUTDIR receives
mel.f32 (n_mels x 3000), encoder.f32 (n_audio_ctx x n_audio_state), logits.f32
(the raw logits of every decoding step of the first window, one row of n_vocab
each), tokens.txt (the first window's greedy tokens after the start sequence,
end-of-text excluded) and text.txt (the text of all windows).

With --half-caches the decoder's cross-attention keys and values and the
self-attention keys and values of earlier tokens are rounded to 16-bit floats,
as the runtime's caches hold them. With --half-precision-steps (which implies
--half-caches) the numbers are rounded to 16-bit floats where the model-folder
runtime stores them as well: the mel features, the encoder output and the logits (the greedy choice is made on
the rounded logits, first index on a tie). OUTDIR then also receives
prefill.f32: the self-attention keys and values of the start sequence
[start of transcript, language, task] (English-only models: [start of
transcript]) decoded against an all-zero encoder output, rounded, in the given
language (English for "auto"), for the transcribe and then the translate task:
[task][keys, values][layer x width][n]; and alignment.f32, one row of n_audio_ctx
per decoding step: the last token's cross-attention weights, averaged over every
head of the upper half of the decoder's layers and rounded.
"""

import argparse
import math
import os
import struct
import sys

import numpy as np

SAMPLE_RATE = 16000
WINDOW_SAMPLES = 30 * SAMPLE_RATE
N_FFT = 400
HOP = 160
N_FRAMES = 3000
LAYER_NORM_EPS = 1e-5
GGML_MAGIC = 0x67676D6C
ENGLISH_ONLY_VOCAB = 51864

# Language codes in the order of their tokens.
LANGUAGE_CODES = (
    "en zh de es ru ko fr ja pt tr pl ca nl ar sv it id hi fi vi he uk el ms cs ro da hu "
    "ta no th ur hr bg lt la mi ml cy sk te fa lv bn sr az sl kn et mk br eu is hy ne mn "
    "bs kk sq sw gl mr pa si km sn yo so af oc ka be tg sd gu am yi lo uz fo ht ps tk nn "
    "mt sa lb my bo tl mg as tt haw ln ha ba jw su yue"
).split()


class ModelError(Exception):
    pass


# ---------------------------------------------------------------- model file

class _Reader:
    def __init__(self, data):
        self.data = data
        self.pos = 0

    def take(self, n, what):
        if n < 0 or self.pos + n > len(self.data):
            raise ModelError(f"file ends inside {what}")
        chunk = self.data[self.pos:self.pos + n]
        self.pos += n
        return chunk

    def int32s(self, n, what):
        return list(struct.unpack(f"<{n}i", self.take(4 * n, what)))

    def at_end(self):
        return self.pos == len(self.data)


class Hparams:
    FIELDS = ("n_vocab", "n_audio_ctx", "n_audio_state", "n_audio_head", "n_audio_layer",
              "n_text_ctx", "n_text_state", "n_text_head", "n_text_layer", "n_mels", "ftype")

    def __init__(self, values):
        for name, value in zip(self.FIELDS, values):
            setattr(self, name, value)


class SpecialTokens:
    """Ids of the tokens that follow the stored vocabulary."""

    def __init__(self, n_vocab):
        self.multilingual = n_vocab >= ENGLISH_ONLY_VOCAB + 1
        if self.multilingual:
            self.n_languages = 100 if n_vocab >= ENGLISH_ONLY_VOCAB + 2 else 99
            self.eot = 50257
            self.sot = 50258
            self.first_language = 50259
            after_languages = self.first_language + self.n_languages
        else:
            self.n_languages = 0
            self.eot = 50256
            self.sot = 50257
            self.first_language = None
            after_languages = 50357
        self.translate = after_languages
        self.transcribe = after_languages + 1
        self.sot_prev = after_languages + 3
        self.no_timestamps = after_languages + 5

    def language_token(self, code):
        return self.first_language + LANGUAGE_CODES.index(code)


class Model:
    def __init__(self, path):
        with open(path, "rb") as f:
            reader = _Reader(f.read())
        (magic,) = struct.unpack("<I", reader.take(4, "the magic"))
        if magic != GGML_MAGIC:
            raise ModelError(f"bad magic 0x{magic:08x}")
        self.hp = Hparams(reader.int32s(11, "the hyper-parameters"))
        if self.hp.ftype % 1000 not in (0, 1):
            raise ModelError(f"unsupported ftype {self.hp.ftype}; supported: 0 (f32), 1 (f16)")

        n_mel, n_fft = reader.int32s(2, "the mel filter header")
        if n_mel != self.hp.n_mels or n_fft != N_FFT // 2 + 1:
            raise ModelError(f"mel filters are {n_mel} x {n_fft}")
        self.mel_filters = np.frombuffer(reader.take(4 * n_mel * n_fft, "the mel filters"),
                                         dtype="<f4").astype(np.float64).reshape(n_mel, n_fft)

        (count,) = reader.int32s(1, "the vocabulary size")
        if count < 0:
            raise ModelError(f"negative vocabulary size {count}")
        self.pieces = []
        for _ in range(count):
            (length,) = struct.unpack("<I", reader.take(4, "a vocabulary entry"))
            self.pieces.append(bytes(reader.take(length, "a vocabulary entry")))

        self.tensors = {}
        self.offsets = {}  # name -> (file offset, dtype, shape) of the stored data
        while not reader.at_end():
            n_dims, name_len, ttype = reader.int32s(3, "a tensor header")
            if not 1 <= n_dims <= 4 or not 0 < name_len < 1024:
                raise ModelError(f"bad tensor header ({n_dims} dims, name of {name_len} bytes)")
            extents = reader.int32s(n_dims, "a tensor header")
            name = reader.take(name_len, "a tensor name").decode("utf-8", "replace")
            if any(e <= 0 for e in extents):
                raise ModelError(f"tensor {name} has extents {extents}")
            if ttype not in (0, 1):
                raise ModelError(f"tensor {name} has type {ttype}; supported: 0 (f32), 1 (f16)")
            dtype = "<f4" if ttype == 0 else "<f2"
            count = math.prod(extents)
            self.offsets[name] = (reader.pos, dtype, tuple(extents[::-1]))
            data = reader.take(count * np.dtype(dtype).itemsize, f"tensor {name}")
            # Extents are stored innermost first.
            self.tensors[name] = np.frombuffer(data, dtype=dtype).astype(np.float64).reshape(
                extents[::-1])

        self.special = SpecialTokens(self.hp.n_vocab)

    def tensor(self, name, *shape):
        if name not in self.tensors:
            raise ModelError(f"missing tensor {name}")
        t = self.tensors[name]
        if t.size != math.prod(shape):
            raise ModelError(f"tensor {name} has shape {t.shape}, expected {shape}")
        return t.reshape(shape)

    def linear(self, prefix, n_out, n_in, bias=True):
        w = self.tensor(prefix + ".weight", n_out, n_in)
        b = self.tensor(prefix + ".bias", n_out) if bias else np.zeros(n_out)
        return lambda x: x @ w.T + b

    def layer_norm(self, prefix, n):
        w = self.tensor(prefix + ".weight", n)
        b = self.tensor(prefix + ".bias", n)

        def apply(x):
            mean = x.mean(axis=-1, keepdims=True)
            var = ((x - mean) ** 2).mean(axis=-1, keepdims=True)
            return (x - mean) / np.sqrt(var + LAYER_NORM_EPS) * w + b
        return apply


# ---------------------------------------------------------------- kernels

_erf = np.frompyfunc(math.erf, 1, 1)


def gelu(x):
    return 0.5 * x * (1.0 + _erf(x / math.sqrt(2.0)).astype(np.float64))


def softmax(x):
    e = np.exp(x - x.max(axis=-1, keepdims=True))
    return e / e.sum(axis=-1, keepdims=True)


def log_mel(samples, filters):
    """Log-mel spectrogram of one 30 s window: n_mels x 3000."""
    x = np.zeros(WINDOW_SAMPLES)
    x[:min(len(samples), WINDOW_SAMPLES)] = samples[:WINDOW_SAMPLES]
    padded = np.pad(x, N_FFT // 2, mode="reflect")
    window = 0.5 - 0.5 * np.cos(2.0 * np.pi * np.arange(N_FFT) / N_FFT)
    frames = np.lib.stride_tricks.sliding_window_view(padded, N_FFT)[::HOP][:N_FRAMES]
    spectrum = np.fft.rfft(frames * window, axis=1)
    power = spectrum.real ** 2 + spectrum.imag ** 2
    mel = np.log10(np.maximum(filters @ power.T, 1e-10))
    mel = np.maximum(mel, mel.max() - 8.0)
    return (mel + 4.0) / 4.0


def conv1d(x, w, b, stride):
    """x: channels x time; w: out x in x kernel; padding 1. Returns time x out."""
    c_in, t_in = x.shape
    c_out, _, kernel = w.shape
    xp = np.pad(x, ((0, 0), (1, 1)))
    t_out = (t_in + 2 - kernel) // stride + 1
    cols = np.stack([xp[:, k:k + stride * (t_out - 1) + 1:stride] for k in range(kernel)], axis=-1)
    cols = cols.transpose(1, 0, 2).reshape(t_out, c_in * kernel)
    return cols @ w.reshape(c_out, c_in * kernel).T + b


def half(x):
    """Rounds to the nearest 16-bit float, ties to even."""
    return np.asarray(x).astype(np.float16).astype(np.float64)


def attention(q, k, v, n_head, causal, half_cache=False):
    """Returns the heads' outputs side by side and their weights [head][query][key].
    With half_cache (causal only), each row sees the keys and values of the rows
    before it rounded to 16-bit floats, as a step does that reads them from a
    cache of halves, and its own exactly."""
    n_q, width = q.shape
    head = width // n_head
    scale = head ** -0.25
    split = lambda x: x.reshape(-1, n_head, head).transpose(1, 0, 2)
    q = split(q * scale)
    own_k, own_v = split(k * scale), split(v)
    k, v = (split(half(k) * scale), split(half(v))) if half_cache else (own_k, own_v)
    scores = q @ k.transpose(0, 2, 1)
    n_k = scores.shape[-1]
    diagonal = np.eye(n_q, n_k, k=n_k - n_q, dtype=bool)
    if half_cache:
        scores = np.where(diagonal, q @ own_k.transpose(0, 2, 1), scores)
    if causal:
        mask = np.triu(np.ones((n_q, n_k), dtype=bool), k=n_k - n_q + 1)
        scores = np.where(mask, -np.inf, scores)
    weights = softmax(scores)
    out = weights @ v
    if half_cache:
        out += np.where(diagonal, weights, 0.0) @ (own_v - v)
    return out.transpose(1, 0, 2).reshape(n_q, width), weights


class Attention:
    def __init__(self, model, prefix, width, n_head):
        self.query = model.linear(prefix + ".query", width, width)
        self.key = model.linear(prefix + ".key", width, width, bias=False)
        self.value = model.linear(prefix + ".value", width, width)
        self.out = model.linear(prefix + ".out", width, width)
        self.n_head = n_head

    def __call__(self, x, source=None, causal=False, half_cache=False):
        """The attention's output; its weights stay in last_weights. With
        half_cache, keys and values of a source are rounded to 16-bit floats, as
        a cache of halves holds them."""
        if source is None:
            out, self.last_weights = attention(self.query(x), self.key(x), self.value(x),
                                               self.n_head, causal, half_cache)
        else:
            rounded = half if half_cache else (lambda v: v)
            out, self.last_weights = attention(self.query(x), rounded(self.key(source)),
                                               rounded(self.value(source)), self.n_head, causal)
        return self.out(out)


def mlp(model, prefix, width):
    up = model.linear(prefix + ".0", 4 * width, width)
    down = model.linear(prefix + ".2", width, 4 * width)
    return lambda x: down(gelu(up(x)))


def encode(model, mel):
    hp = model.hp
    w = hp.n_audio_state
    x = gelu(conv1d(mel, model.tensor("encoder.conv1.weight", w, hp.n_mels, 3),
                    model.tensor("encoder.conv1.bias", w), 1))
    x = gelu(conv1d(x.T, model.tensor("encoder.conv2.weight", w, w, 3),
                    model.tensor("encoder.conv2.bias", w), 2))
    if x.shape[0] != hp.n_audio_ctx:
        raise ModelError(f"n_audio_ctx {hp.n_audio_ctx} does not fit 3000 mel frames")
    x = x + model.tensor("encoder.positional_embedding", hp.n_audio_ctx, w)
    for i in range(hp.n_audio_layer):
        p = f"encoder.blocks.{i}"
        x = x + Attention(model, p + ".attn", w, hp.n_audio_head)(model.layer_norm(p + ".attn_ln", w)(x))
        x = x + mlp(model, p + ".mlp", w)(model.layer_norm(p + ".mlp_ln", w)(x))
    return model.layer_norm("encoder.ln_post", w)(x)


class Decoder:
    """The text decoder over one window's encoder output. Each call runs the whole
    token sequence again: slow, but with no cache to get wrong. With half_cache,
    the audio's keys and values and earlier tokens' keys and values are rounded
    as caches of halves hold them."""

    def __init__(self, model, audio, half_cache=False):
        self.half_cache = half_cache
        hp = model.hp
        w = hp.n_text_state
        self.model = model
        self.audio = audio
        self.embedding = model.tensor("decoder.token_embedding.weight", hp.n_vocab, w)
        self.positions = model.tensor("decoder.positional_embedding", hp.n_text_ctx, w)
        self.blocks = []
        for i in range(hp.n_text_layer):
            p = f"decoder.blocks.{i}"
            self.blocks.append((
                model.layer_norm(p + ".attn_ln", w), Attention(model, p + ".attn", w, hp.n_text_head),
                model.layer_norm(p + ".cross_attn_ln", w),
                Attention(model, p + ".cross_attn", w, hp.n_text_head),
                model.layer_norm(p + ".mlp_ln", w), mlp(model, p + ".mlp", w)))
        self.final_ln = model.layer_norm("decoder.ln", w)

    def run(self, tokens):
        """The last token's logits, every layer's self-attention keys and values,
        and every layer's cross-attention weights of the last token [head][audio]."""
        x = self.embedding[tokens] + self.positions[:len(tokens)]
        keys, values, cross_weights = [], [], []
        for attn_ln, attn, cross_ln, cross, mlp_ln, feed in self.blocks:
            normed = attn_ln(x)
            keys.append(attn.key(normed))
            values.append(attn.value(normed))
            x = x + attn(normed, causal=True, half_cache=self.half_cache)
            x = x + cross(cross_ln(x), source=self.audio, half_cache=self.half_cache)
            cross_weights.append(cross.last_weights[:, -1, :])
            x = x + feed(mlp_ln(x))
        return self.final_ln(x[-1:])[0] @ self.embedding.T, keys, values, cross_weights

    def last_logits(self, tokens):
        return self.run(tokens)[0]


# ---------------------------------------------------------------- decoding

def tokenize(text, pieces):
    """Longest match on the stored pieces, left to right; bytes no piece covers are skipped."""
    ids = {}
    for i, piece in enumerate(pieces):
        if piece:
            ids.setdefault(piece, i)
    longest = max((len(p) for p in ids), default=0)
    data = text.encode("utf-8")
    tokens = []
    pos = 0
    while pos < len(data):
        for length in range(min(longest, len(data) - pos), 0, -1):
            token = ids.get(data[pos:pos + length])
            if token is not None:
                tokens.append(token)
                pos += length
                break
        else:
            pos += 1
    return tokens


def detect_language(model, decoder):
    special = model.special
    logits = decoder.last_logits([special.sot])
    first = special.first_language
    languages = logits[first:first + special.n_languages]
    return LANGUAGE_CODES[int(np.argmax(languages))]


def start_sequence(model, language, prompt_tokens):
    special = model.special
    sequence = []
    if prompt_tokens:
        sequence += [special.sot_prev] + prompt_tokens[-(model.hp.n_text_ctx // 2 - 1):]
    sequence.append(special.sot)
    if special.multilingual:
        sequence += [special.language_token(language), special.transcribe]
    sequence.append(special.no_timestamps)
    return sequence


def greedy(model, decoder, prefix, max_steps, blank_tokens, half_outputs=False):
    """Returns the tokens after the prefix (end-of-text excluded), each step's raw
    logits and each step's alignment: the cross-attention weights of every head
    of the upper half of the layers, averaged."""
    special = model.special
    n_ctx = model.hp.n_text_ctx
    rounded = half if half_outputs else (lambda x: x)
    tokens = list(prefix)
    produced = []
    raw_rows = []
    alignment_rows = []
    # Every chosen token keeps a context position of its own.
    while len(produced) < max_steps and len(tokens) < n_ctx:
        raw, _, _, cross_weights = decoder.run(tokens)
        raw = rounded(raw)
        raw_rows.append(raw)
        alignment_rows.append(rounded(np.mean(cross_weights[len(cross_weights) // 2:], axis=(0, 1))))
        logits = raw.copy()
        # Every special token except end-of-text, timestamps included.
        logits[special.eot + 1:] = -np.inf
        if not produced:
            logits[blank_tokens] = -np.inf
        token = int(np.argmax(logits))
        if token == special.eot:
            break
        produced.append(token)
        tokens.append(token)
    return produced, raw_rows, alignment_rows


def detokenize(tokens, model):
    eot = model.special.eot
    return b"".join(model.pieces[t] for t in tokens if t < eot and t < len(model.pieces))


def prefill(model, language):
    """The start sequence's keys and values against silence, rounded to halves:
    [task (transcribe, translate)][keys, values][layer x width][position]."""
    special = model.special
    hp = model.hp
    decoder = Decoder(model, np.zeros((hp.n_audio_ctx, hp.n_audio_state)))
    tasks = []
    for task in (special.transcribe, special.translate):
        sequence = [special.sot]
        if special.multilingual:
            sequence += [special.language_token(language), task]
        _, keys, values, _ = decoder.run(sequence)
        # Channel l x width + d, position last.
        tasks.append([half(np.concatenate(part, axis=1).T) for part in (keys, values)])
    return np.array(tasks)


def transcribe(model, samples, language, prompt, steps, half_precision=False, half_caches=False):
    """Returns the first window's mel, encoder output, raw logits rows and tokens,
    and the text of every window. With half_caches, the decoder's caches hold
    halves; with half_precision, rounds where the model-folder runtime stores
    halves, caches included."""
    rounded = half if half_precision else (lambda x: x)
    special = model.special
    prompt_tokens = tokenize(prompt, model.pieces) if prompt else []
    space = tokenize(" ", model.pieces)
    blank_tokens = space[:1] + [special.eot]
    max_steps = model.hp.n_text_ctx // 2
    if steps is not None:
        max_steps = min(max_steps, steps)

    starts = list(range(0, len(samples), WINDOW_SAMPLES)) or [0]
    text = b""
    first = None
    for index, start in enumerate(starts):
        mel = rounded(log_mel(samples[start:start + WINDOW_SAMPLES], model.mel_filters))
        audio = rounded(encode(model, mel))
        decoder = Decoder(model, audio, half_cache=half_precision or half_caches)
        if index == 0 and special.multilingual and language == "auto":
            language = detect_language(model, decoder)
        prefix = start_sequence(model, language, prompt_tokens)
        tokens, logits, alignment = greedy(model, decoder, prefix, max_steps, blank_tokens, half_precision)
        if index == 0:
            first = (mel, audio, logits, tokens, alignment)
        if len(samples):
            text += detokenize(tokens, model)
    return first, text


# ---------------------------------------------------------------- command line

def write_atomically(path, data):
    temporary = path + ".part"
    with open(temporary, "wb") as f:
        f.write(data)
    os.replace(temporary, path)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("model")
    parser.add_argument("audio", help="raw little-endian float32, 16 kHz mono")
    parser.add_argument("outdir")
    parser.add_argument("--language", default="auto", help='language code or "auto"')
    parser.add_argument("--prompt", default="")
    parser.add_argument("--steps", type=int, default=None,
                        help="decode at most this many steps per window")
    parser.add_argument("--half-caches", action="store_true",
                        help="round the decoder's cached keys and values to 16-bit floats")
    parser.add_argument("--half-precision-steps", action="store_true",
                        help="round to 16-bit floats where the model-folder runtime does")
    args = parser.parse_args(argv)

    if args.language != "auto" and args.language not in LANGUAGE_CODES:
        parser.error(f"unknown language code {args.language!r}")
    try:
        model = Model(args.model)
        if model.special.multilingual and args.language != "auto":
            if LANGUAGE_CODES.index(args.language) >= model.special.n_languages:
                raise ModelError(f"the model has no token for language {args.language!r}")
        samples = np.fromfile(args.audio, dtype="<f4").astype(np.float64)
        (mel, audio, logits, tokens, alignment), text = transcribe(
            model, samples, args.language, args.prompt, args.steps, args.half_precision_steps,
            args.half_caches)
    except (ModelError, OSError) as error:
        print(f"whisper_reference: {error}", file=sys.stderr)
        return 1

    os.makedirs(args.outdir, exist_ok=True)
    rows = np.array(logits).reshape(-1, model.hp.n_vocab)
    outputs = {
        "mel.f32": mel.astype("<f4").tobytes(),
        "encoder.f32": audio.astype("<f4").tobytes(),
        "logits.f32": rows.astype("<f4").tobytes(),
        "tokens.txt": (" ".join(map(str, tokens)) + "\n").encode(),
        "text.txt": text,
    }
    if args.half_precision_steps:
        language = "en" if args.language == "auto" else args.language
        outputs["prefill.f32"] = prefill(model, language).astype("<f4").tobytes()
        outputs["alignment.f32"] = np.array(alignment).astype("<f4").tobytes()
    for name, data in outputs.items():
        write_atomically(os.path.join(args.outdir, name), data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
