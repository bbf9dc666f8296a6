#include "convert/DocumentConversion.h"

#include "convert/ConversionModule.h"
#include "ui/NativePath.h"
#include "ui/WindowServices.h"

#include <exception>
#include <new>
#include <optional>

namespace plainora {

namespace {

class EngineConverter : public DocumentConverter
{
public:
    explicit EngineConverter(std::unique_ptr<engine::Converter> converter) : m_converter(std::move(converter))
    {
    }
    engine::Status open(const std::string& sourcePath) override { return m_converter->open(sourcePath); }
    engine::Status saveAsText(const std::string& outputPath) override
    {
        return m_converter->saveAsText(outputPath);
    }
    engine::Status quit() override { return m_converter->quit(); }

private:
    std::unique_ptr<engine::Converter> m_converter;
};

} // namespace

engine::Result<std::unique_ptr<DocumentConverter>> EngineConverterFactory::create()
{
    auto converter = engine::Converter::create();
    if (!converter)
        return converter.error();
    return std::unique_ptr<DocumentConverter>(std::make_unique<EngineConverter>(converter.take()));
}

DocumentConversion::DocumentConversion(ConversionModule& module, WindowServices& services,
                                       ConverterFactory& factory, DocumentPathOf documentPath,
                                       WorkRunner runWork)
    : m_module(module), m_services(services), m_factory(factory), m_documentPath(std::move(documentPath)),
      m_runWork(std::move(runWork))
{
    if (!m_runWork)
        m_runWork = [](const std::function<void()>& work) { work(); };
}

int DocumentConversion::ConvertDocument(int row)
{
    const QString sourcePath = m_documentPath(row);
    if (sourcePath.isEmpty())
        return NoSourceDocument;
    const std::string source = toNativePath(sourcePath);
    const std::string outputPath = toNativePath(m_module.OutputBase + QStringLiteral(".txt"));

    // Held from its creation until its first quit has succeeded.
    std::unique_ptr<DocumentConverter> instance;
    std::optional<engine::Error> failure;
    m_runWork([&] {
        try {
            auto created = m_factory.create();
            if (!created) {
                failure = created.error();
                return;
            }
            instance = created.take();
            if (const engine::Status opened = instance->open(source); !opened) {
                failure = opened.error();
                return;
            }
            if (const engine::Status saved = instance->saveAsText(outputPath); !saved) {
                failure = saved.error();
                return;
            }
            if (const engine::Status quit = instance->quit(); !quit) {
                failure = quit.error();
                return;
            }
            instance.reset();
        } catch (const std::bad_alloc&) {
            failure =
                engine::makeError(engine::ErrorCode::TooLarge,
                                  "There is not enough memory to convert \"" + sourcePath.toStdString() +
                                      "\". Close other programs and convert it again.");
        }
    });
    if (!failure)
        return Converted;

    // Every failure is shown, whatever its number.
    m_services.showMessage(QString::fromStdString(failure->description), MessageTitle, MessageIcon::None);
    if (instance) {
        // The converter may already be gone; a failing second quit changes nothing.
        try {
            (void)instance->quit();
        } catch (const std::exception&) {
        }
        instance.reset();
    }
    return Failed;
}

} // namespace plainora
