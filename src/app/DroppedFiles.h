#pragma once
// Which of the files dropped on the main window the viewer acts on: the first
// Picture Book (".pbk"/".pcs") or ZIP archive in drop order, by the name's
// upper-cased ending; the name itself is used unchanged.

#include <string>
#include <vector>

enum class DropAction { None, Open, Import };

struct DropChoice {
    DropAction action = DropAction::None;
    std::string path;
};

// Names longer than 1024 bytes are cut there, as the drop record holds no more.
DropChoice ChooseDroppedFile(const std::vector<std::string>& names);
