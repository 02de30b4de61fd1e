#!/usr/bin/env python3
"""Places the right answer of every bundled question by an independent random draw.

Usage: python3 scripts/place-answers.py [DATA_DIR]     (default: data)

Each question's right answer goes to a place from 1 to 4 drawn with Python's
random module from a fixed seed; the three wrong answers keep their order in
the other places. There is no balancing within a section and no avoiding of
repeats, so a learner cannot follow the right answer from one question to the
next. The draw does not depend on where the answers stand now, so running the
script again changes nothing.

The first seed tried is FIRST_SEED. A seed is kept only when the learner's best
position guess ("the place used least so far in this section, not the last
one", a random pick among equals) is right in at most 30% of all questions and
every section uses every place at least once; otherwise the next seed is tried.
The seed in use is printed. With the sections as committed the first seed,
20261207, is kept.
"""
import random
import re
import sys
from pathlib import Path

FIRST_SEED = 20261207
SECTIONS = ["quizdeck", "env", "debug", "props", "events", "menus", "errors", "dll",
            "oleint", "olesrv", "datactl", "dao", "distrib", "mdi", "bitness"]
ANSWER = re.compile(r"^(\s*)(right|wrong): ")
LIMIT = 0.30


def questions(lines):
    """Yields, for each question, the indexes of its four answer lines."""
    answers = []
    for index, line in enumerate(lines):
        stripped = line.strip()
        if stripped.startswith("answer-number:"):
            sys.exit("answer-number lines are not supported; remove them first")
        if ANSWER.match(line):
            answers.append(index)
        elif stripped.startswith("reference:"):
            if len(answers) != 4:
                sys.exit(f"line {index + 1}: four answers expected, found {len(answers)}")
            yield answers
            answers = []


def draw(files, seed):
    """Returns, per section, the drawn place (0 to 3) of each right answer."""
    rng = random.Random(seed)
    return [[rng.randrange(4) for _ in questions(lines)] for lines in files]


def position_guess_rate(places):
    """Expected share of right guesses by the least-used-place-not-the-last strategy."""
    hits = 0.0
    total = 0
    for section in places:
        used = [0, 0, 0, 0]
        last = None
        for place in section:
            candidates = [p for p in range(4) if p != last]
            fewest = min(used[p] for p in candidates)
            guesses = [p for p in candidates if used[p] == fewest]
            hits += (place in guesses) / len(guesses)
            used[place] += 1
            last = place
            total += 1
    return hits / total


def acceptable(places):
    return position_guess_rate(places) <= LIMIT and all(len(set(s)) == 4 for s in places)


def rearrange(lines, places):
    for slots, place in zip(questions(lines), places):
        answer_lines = [lines[i] for i in slots]
        right = [line for line in answer_lines if ANSWER.match(line).group(2) == "right"]
        if len(right) != 1:
            sys.exit(f"line {slots[0] + 1}: exactly one right answer expected")
        wrong = [line for line in answer_lines if ANSWER.match(line).group(2) == "wrong"]
        wrong.insert(place, right[0])
        for slot, line in zip(slots, wrong):
            lines[slot] = line


def main():
    folder = Path(sys.argv[1] if len(sys.argv) > 1 else "data")
    paths = [folder / f"{name}.quiz" for name in SECTIONS]
    files = [path.read_text(encoding="utf-8").split("\n") for path in paths]
    seed = FIRST_SEED
    while not acceptable(draw(files, seed)):
        seed += 1
    places = draw(files, seed)
    for path, lines, section in zip(paths, files, places):
        rearrange(lines, section)
        path.write_text("\n".join(lines), encoding="utf-8")
    print(f"seed {seed}: position guess right in {100 * position_guess_rate(places):.1f}% of "
          f"{sum(len(s) for s in places)} questions")


if __name__ == "__main__":
    main()
