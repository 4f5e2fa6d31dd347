#pragma once
// Data-file text already in memory (a pipe read once to be judged first),
// read into a model as SwingModel::read reads a file.

#include <string>

class SwingModel;

bool readModelText(SwingModel& model, const std::string& text, bool keepOnEmpty);
