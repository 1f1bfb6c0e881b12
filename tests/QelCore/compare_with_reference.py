#!/usr/bin/python3
"""Runs the C++ runtime's inspection tools and the numpy reference on small random
models and checks that they compute the same mel, encoder output, logits, greedy
tokens and text: the engine library on ggml files, with its caches of halves,
and the model folders those files convert into, stepped token by token with the
caller's cache of halves."""

import argparse
import importlib.util
import os
import subprocess
import sys
import tempfile
from typing import NamedTuple

import numpy as np


class Case(NamedTuple):
    name: str
    vocab: int
    ftype: int
    seed: int
    language: str
    prompt: str = ""
    seconds: float = 7.0
    # Steered models end their windows early and would pick special tokens and
    # the blank if nothing suppressed them; plain ones decode every step.
    steered: bool = False
    steps: int = 8  # 0: as many as a window allows
    text_ctx: int = 448


CASES = [
    Case("english-f32", 51864, 0, 11, "en"),
    Case("english-f16-prompt", 51864, 1, 12, "en", "hello there, world", steered=True),
    Case("multilingual-f32-detect", 51865, 0, 13, "auto"),
    Case("multilingual-f16-two-windows", 51865, 1, 14, "de", "guten Tag", seconds=33.0, steered=True),
    # The prompt is cut to its most recent tokens and the window's token budget
    # to the context that remains.
    Case("multilingual-short-context-long-prompt", 51865, 0, 15, "fr",
         "the quick brown fox jumps over the lazy dog " * 3, steps=0, text_ctx=32),
]

# Largest difference allowed, relative to the largest reference value. Both sides
# widen 16-bit weights to the same floats, so the only difference is float32
# rounding against float64; faults like a wrong layer-norm epsilon, the tanh
# form of GELU or a symmetric Hann window move the outputs by 1e-3 and more.
TOLERANCE = 5e-5
# The logits come out of the decoder, whose caches hold halves on both sides.
# A key or value near the middle of two halves may round the other way on one
# side, and the tokens of a prompt see each other's exact keys within the
# runtime's batch but rounded ones in the reference: differences of a half's
# step in a few keys (seen: 8e-5 to 1.4e-4 of the scale). Faults of the
# caches (layouts, positions, what is rounded) move the logits by far more.
LOGITS_TOLERANCE = 5e-4

MODEL_SHAPE = ["--width", "64", "--heads", "2", "--layers", "2"]


class FolderCase(NamedTuple):
    name: str
    vocab: int
    ftype: int  # the folder keeps the file's precision
    seed: int
    language: str
    layers: int = 2


FOLDER_CASES = [
    FolderCase("folders-english-f32", 51864, 0, 28, "en", layers=3),
    FolderCase("folders-multilingual-f16", 51866, 1, 23, "ja"),
]

FOLDER_STEPS = 20

# The folders round the mel, the encoder output, the cache and the logits to
# 16-bit floats, and so does the reference, caches included. A value that lies near the middle
# of two halves may round the other way on one side: the two then differ by a
# half's step, 2^-11 of the value and at most about 7e-4 of the scale (seen:
# 3e-4 to 7e-4). Faults of the folders (layouts, masks, positions, what is
# rounded) move the outputs by far more.
FOLDER_TOLERANCE = 2e-3


def test_audio(seconds):
    """Two gliding tones, an amplitude envelope and a little seeded noise."""
    t = np.arange(int(seconds * 16000)) / 16000.0
    glide = np.sin(2 * np.pi * (300 * t + 40 * t ** 2))
    tone = 0.3 * np.sin(2 * np.pi * 1234 * t)
    envelope = 0.5 + 0.5 * np.sin(2 * np.pi * 0.37 * t)
    noise = 0.02 * np.random.default_rng(5).standard_normal(t.size)
    return (0.4 * envelope * (glide + tone) + noise).astype("<f4")


def load_reference(path):
    spec = importlib.util.spec_from_file_location("whisper_reference", path)
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


def steer(reference, model_path, samples, language, prompt):
    """Rewrites rows of the token embedding in place: the special tokens four
    times stronger, end-of-text and the blank as scaled copies of the token the
    plain model picks first. Unsuppressed, end-of-text or the blank would win the
    first step; afterwards end-of-text wins where that token comes back."""
    model = reference.Model(model_path)
    (_, _, _, tokens, _), _ = reference.transcribe(model, samples, language, prompt, 1)
    special = model.special
    blank = reference.tokenize(" ", model.pieces)[0]
    offset, dtype, shape = model.offsets["decoder.token_embedding.weight"]
    rows = np.memmap(model_path, dtype=dtype, mode="r+", offset=offset, shape=shape)
    rows[special.eot + 1:] *= 4
    rows[special.eot] = rows[tokens[0]] * 1.5
    rows[blank] = rows[tokens[0]] * 1.25
    rows.flush()


def run(command):
    result = subprocess.run(command, capture_output=True, text=True)
    if result.returncode != 0:
        raise RuntimeError(f"{' '.join(command)} failed ({result.returncode}):\n"
                           f"{result.stdout}{result.stderr}")


def read_outputs(folder):
    """What a tool wrote; files it did not write read as empty."""
    def read(name, mode="rb"):
        path = os.path.join(folder, name)
        if not os.path.exists(path):
            return b"" if mode == "rb" else ""
        with open(path, mode) as f:
            return f.read()
    f32 = lambda name: np.frombuffer(read(name), dtype="<f4")
    return {"mel": f32("mel.f32"), "encoder": f32("encoder.f32"), "logits": f32("logits.f32"),
            "prefill": f32("prefill.f32"), "alignment": f32("alignment.f32"), "tokens": [int(t) for t in read("tokens.txt", "r").split()],
            "text": read("text.txt")}


def compare(name, runtime, reference, n_vocab):
    failures = []
    for array, tolerance in (("mel", TOLERANCE), ("encoder", TOLERANCE), ("logits", LOGITS_TOLERANCE)):
        error = largest_difference(runtime[array], reference[array])
        if error is None:
            failures.append(f"{array}: {runtime[array].size} values, reference has {reference[array].size}")
        elif not error <= tolerance:
            failures.append(f"{array}: largest difference {error:.3g} of the scale, allowed {tolerance}")
    if runtime["tokens"] != reference["tokens"]:
        failures.append(f"tokens {runtime['tokens']} != reference {reference['tokens']}"
                        + near_tie_note(runtime["tokens"], reference, n_vocab))
    if runtime["text"] != reference["text"]:
        failures.append(f"text {runtime['text']!r} != reference {reference['text']!r}")
    return [f"{name}: {failure}" for failure in failures]


def near_tie_note(tokens, reference, n_vocab):
    """Says how far apart the two choices were in the reference, to tell a rounding
    tie from a real fault."""
    rows = reference["logits"].reshape(-1, n_vocab)
    for step, (got, want) in enumerate(zip(tokens, reference["tokens"])):
        if got != want and step < len(rows):
            return f" (step {step}: reference logits {rows[step][want]:.5f} vs {rows[step][got]:.5f})"
    return ""


def largest_difference(got, want, least_scale=1.0):
    """The largest difference relative to the reference's scale (at least
    least_scale), or None when the sizes differ."""
    if got.shape != want.shape:
        return None
    if not want.size:
        return 0.0
    scale = max(least_scale, float(np.abs(want).max()))
    return float(np.abs(got.astype(np.float64) - want).max()) / scale


def check_folders(case, args, scratch):
    """The model folders of a random file against the reference rounded as they
    round, and their greedy tokens against the engine library's."""
    model = os.path.join(scratch, case.name + ".bin")
    audio = os.path.join(scratch, case.name + ".f32")
    folders = os.path.join(scratch, case.name + ".folders")
    run([args.generator, "--out", model, "--seed", str(case.seed), "--vocab", str(case.vocab),
         "--ftype", str(case.ftype), "--width", "64", "--heads", "2", "--layers", str(case.layers)])
    run([args.converter, model, folders, "--prefill",
         "--matrices", "float16" if case.ftype else "float32"])
    test_audio(7.0).tofile(audio)
    options = ["--language", case.language, "--steps", str(FOLDER_STEPS)]
    outputs = {}
    for tool, command in (("folders", [args.folder_inspect, model, folders]),
                          ("library", [args.inspect, model]),
                          ("reference", [sys.executable, args.reference, "--half-precision-steps", model])):
        folder = os.path.join(scratch, case.name + "-" + tool)
        run(command + [audio, folder] + options)
        outputs[tool] = read_outputs(folder)
    failures = []
    got, want = outputs["folders"], outputs["reference"]
    # Attention weights are small: they are measured against their own largest.
    for array, least_scale in (("mel", 1.0), ("encoder", 1.0), ("logits", 1.0), ("alignment", 0.0),
                               ("prefill", 1.0)):
        error = largest_difference(got[array], want[array], least_scale)
        if error is None:
            failures.append(f"{array}: {got[array].size} values, reference has {want[array].size}")
        elif not error <= FOLDER_TOLERANCE:
            failures.append(f"{array}: largest difference {error:.3g} of the scale, allowed {FOLDER_TOLERANCE}")
    if len(got["tokens"]) != FOLDER_STEPS:
        failures.append(f"{len(got['tokens'])} tokens, expected {FOLDER_STEPS}")
    if got["tokens"] != want["tokens"]:
        failures.append(f"tokens {got['tokens']} != reference {want['tokens']}"
                        + near_tie_note(got["tokens"], want, case.vocab))
    if got["tokens"] != outputs["library"]["tokens"]:
        failures.append(f"tokens {got['tokens']} != engine library {outputs['library']['tokens']}")
    print(f"{case.name}: tokens {got['tokens']}")
    return [f"{case.name}: {failure}" for failure in failures]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--generator", required=True)
    parser.add_argument("--inspect", required=True)
    parser.add_argument("--reference", required=True)
    parser.add_argument("--converter", required=True)
    parser.add_argument("--folder-inspect", required=True)
    args = parser.parse_args()
    reference = load_reference(args.reference)

    failures = []
    with tempfile.TemporaryDirectory() as scratch:
        for case in CASES:
            model = os.path.join(scratch, case.name + ".bin")
            audio = os.path.join(scratch, case.name + ".f32")
            run([args.generator, "--out", model, "--seed", str(case.seed), "--vocab", str(case.vocab),
                 "--ftype", str(case.ftype), "--text-ctx", str(case.text_ctx)] + MODEL_SHAPE)
            samples = test_audio(case.seconds)
            samples.tofile(audio)
            if case.steered:
                steer(reference, model, samples.astype(np.float64), case.language, case.prompt)
            options = ["--language", case.language]
            if case.steps:
                options += ["--steps", str(case.steps)]
            if case.prompt:
                options += ["--prompt", case.prompt]
            outputs = {}
            for tool, command in (("runtime", [args.inspect]),
                                  ("reference", [sys.executable, args.reference, "--half-caches"])):
                folder = os.path.join(scratch, case.name + "-" + tool)
                run(command + [model, audio, folder] + options)
                outputs[tool] = read_outputs(folder)
            failures += compare(case.name, outputs["runtime"], outputs["reference"], case.vocab)
            print(f"{case.name}: tokens {outputs['reference']['tokens']}, text {outputs['reference']['text']!r}")

        # An empty recording has no window: the runtime gives no text and no error.
        empty = os.path.join(scratch, "empty.f32")
        open(empty, "wb").close()
        folder = os.path.join(scratch, "empty-runtime")
        run([args.inspect, os.path.join(scratch, CASES[0].name + ".bin"), empty, folder])
        with open(os.path.join(folder, "text.txt"), "rb") as f:
            if f.read():
                failures.append("empty audio: the runtime produced text")

        for case in FOLDER_CASES:
            failures += check_folders(case, args, scratch)

    for failure in failures:
        print("FAIL", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
