#pragma once
// The conversion of one row of the document list into a text file: create a
// converter, open the row's document, save it as plain text to OutputBase +
// ".txt", quit. The native engine plays the converter; tests may put another
// in its place.

#include "engine/Engine.h"

#include <QString>
#include <functional>
#include <memory>

namespace plainora {

class ConversionModule;
class WindowServices;

// One converter instance: the three operations after its creation, each
// succeeding or failing with a number and a description.
class DocumentConverter
{
public:
    virtual ~DocumentConverter() = default;
    virtual engine::Status open(const std::string& sourcePath) = 0;
    virtual engine::Status saveAsText(const std::string& outputPath) = 0;
    virtual engine::Status quit() = 0;
};

// Creates converter instances. Used from a worker thread while a run goes,
// one call at a time.
class ConverterFactory
{
public:
    virtual ~ConverterFactory() = default;
    virtual engine::Result<std::unique_ptr<DocumentConverter>> create() = 0;
};

// The native engine (engine::Converter) as the converter.
class EngineConverterFactory : public ConverterFactory
{
public:
    engine::Result<std::unique_ptr<DocumentConverter>> create() override;
};

class DocumentConversion
{
public:
    // What ConvertDocument gives.
    static constexpr int Converted = 1;        // opened, saved as text, quit, all without a failure
    static constexpr int Failed = 2;           // a step failed; its description has been shown
    static constexpr int NoSourceDocument = 3; // the row names no existing document; nothing shown

    // Runs a piece of work to completion; the batch run hands one that keeps
    // the window painted meanwhile. The default runs it in place.
    using WorkRunner = std::function<void(const std::function<void()>&)>;
    using DocumentPathOf = std::function<QString(int row)>;

    DocumentConversion(ConversionModule& module, WindowServices& services, ConverterFactory& factory,
                       DocumentPathOf documentPath, WorkRunner runWork = {});

    // Converts the document of row (from 1) to OutputBase + ".txt". A failure
    // of any step skips the steps after it, shows the description in a
    // message box without icon, and tells a created converter to quit once
    // more (a failure of that quit is ignored). The save writes a temporary
    // file and renames it over the target, so a failure never leaves part of
    // a file or loses the one that was there.
    int ConvertDocument(int row);

private:
    ConversionModule& m_module;
    WindowServices& m_services;
    ConverterFactory& m_factory;
    DocumentPathOf m_documentPath;
    WorkRunner m_runWork;
};

} // namespace plainora
