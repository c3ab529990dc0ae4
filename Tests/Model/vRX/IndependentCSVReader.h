#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Reads a CSV file with Python's csv module, a reader written independently of ours, so that
// tests can show that other programs read our files as we mean them. Empty when python3 is
// missing or fails.
std::optional<QList<QStringList>> ReadWithIndependentCSVReader(const QString& path);
