#pragma once

#include <QString>
#include <stdexcept>

// Why pelu-print could not produce a document, worded for the office. `exitCode` tells scripts
// which stage refused: 1 the command line, 2 the database or its query, 3 the template, 4 the output.
class PrintError : public std::runtime_error {
public:
    enum Stage { CommandLine = 1, Query = 2, Template = 3, Output = 4 };

    PrintError(Stage stage, const QString& message)
        : std::runtime_error(message.toStdString()), m_stage(stage), m_message(message) {}
    Stage stage() const { return m_stage; }
    QString message() const { return m_message; }

private:
    Stage m_stage;
    QString m_message;
};
