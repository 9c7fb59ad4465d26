"""The layers' includes run only down: each folder may include itself and the
layers its CMakeLists.txt links (BENEATH), directly or through them. The link
checks catch calls that run back up; this catches header-only includes too."""

import glob
import os
import re

from conftest import ROOT

INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z_]+)/', re.MULTILINE)


def declared_layers(root):
    """Each layer folder with the folders it links directly."""
    layers = {}
    for listing in glob.glob(os.path.join(root, "*", "CMakeLists.txt")):
        text = open(listing).read()
        if match := re.search(r"truecount_layer\(truecount_\w+(.*?)\)", text, re.DOTALL):
            beneath = re.search(r"BENEATH((?:\s+truecount_\w+)+)", match.group(1))
            folders = re.findall(r"truecount_(\w+)", beneath.group(1)) if beneath else []
            layers[os.path.basename(os.path.dirname(listing))] = set(folders)
    return layers


def below(layers, folder):
    return set().union(*({beneath} | below(layers, beneath) for beneath in layers[folder]))


def upward_includes(root):
    layers = declared_layers(root)
    wrong = []
    for folder in layers:
        allowed = below(layers, folder) | {folder}
        for source in glob.glob(os.path.join(root, folder, "*.[ch]*")):
            for included in INCLUDE.findall(open(source).read()):
                if included in layers and included not in allowed:
                    wrong.append(f"{folder}/{os.path.basename(source)} includes {included}/")
    return layers, wrong


def test_no_layer_includes_one_above_it():
    layers, wrong = upward_includes(ROOT)
    assert {"deck", "count", "table", "strategy", "study", "lab"} <= set(layers)
    assert wrong == []


def test_an_include_that_runs_up_is_found(tmp_path):
    for folder, text in [("deck", 'truecount_layer(truecount_deck SOURCES d.cpp)'),
                         ("table", 'truecount_layer(truecount_table SOURCES t.cpp\n'
                                   '  BENEATH truecount_deck)')]:
        os.makedirs(tmp_path / folder)
        (tmp_path / folder / "CMakeLists.txt").write_text(text)
    (tmp_path / "table" / "t.cpp").write_text('#include "deck/deck.h"\n')
    (tmp_path / "deck" / "d.h").write_text('#include "table/hand.h"\n')
    assert upward_includes(str(tmp_path))[1] == ["deck/d.h includes table/"]
