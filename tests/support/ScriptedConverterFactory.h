#pragma once
// A converter factory for tests: the native engine underneath, with a
// failure planted at one step (create, open, save or quit), an optional
// delay per document, and a record of every call in order. Safe to use from
// the run's worker thread.

#include "convert/DocumentConversion.h"

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace plainora::test {

class ScriptedConverterFactory : public ConverterFactory
{
public:
    enum class Step { None, Create, Open, Save, Quit };

    Step failAt = Step::None;
    // Only the document whose path ends in this name fails (empty: all).
    std::string failingDocument;
    std::string description = "The converter stopped.";
    // Also the quit of the failure step fails.
    bool secondQuitFails = false;
    // Time each open takes on top of the engine's.
    std::chrono::milliseconds openDelay{0};
    // Called on the converter's thread at each open.
    std::function<void()> onOpen;

    engine::Result<std::unique_ptr<DocumentConverter>> create() override
    {
        record("create");
        if (failAt == Step::Create && failingDocument.empty())
            return fault();
        auto inner = m_engine.create();
        if (!inner)
            return inner.error();
        return std::unique_ptr<DocumentConverter>(std::make_unique<Instance>(*this, inner.take()));
    }

    std::vector<std::string> calls() const
    {
        std::lock_guard lock(m_mutex);
        return m_calls;
    }

private:
    class Instance : public DocumentConverter
    {
    public:
        Instance(ScriptedConverterFactory& factory, std::unique_ptr<DocumentConverter> inner)
            : m_factory(factory), m_inner(std::move(inner))
        {
        }
        engine::Status open(const std::string& sourcePath) override
        {
            m_source = sourcePath;
            m_factory.record("open " + sourcePath);
            std::this_thread::sleep_for(m_factory.openDelay);
            if (m_factory.onOpen)
                m_factory.onOpen();
            return failsAt(Step::Open) ? m_factory.fault() : m_inner->open(sourcePath);
        }
        engine::Status saveAsText(const std::string& outputPath) override
        {
            m_factory.record("save " + outputPath);
            return failsAt(Step::Save) ? m_factory.fault() : m_inner->saveAsText(outputPath);
        }
        engine::Status quit() override
        {
            m_factory.record("quit");
            ++m_quits;
            if ((m_quits == 1 && failsAt(Step::Quit)) || (m_quits > 1 && m_factory.secondQuitFails))
                return m_factory.fault();
            return m_inner->quit();
        }

    private:
        bool failsAt(Step step) const
        {
            const std::string& name = m_factory.failingDocument;
            return m_factory.failAt == step &&
                   (name.empty() ||
                    (m_source.size() >= name.size() &&
                     m_source.compare(m_source.size() - name.size(), name.size(), name) == 0));
        }

        ScriptedConverterFactory& m_factory;
        std::unique_ptr<DocumentConverter> m_inner;
        std::string m_source;
        int m_quits = 0;
    };

    void record(std::string call)
    {
        std::lock_guard lock(m_mutex);
        m_calls.push_back(std::move(call));
    }
    engine::Error fault() const { return engine::makeError(engine::ErrorCode::Damaged, description); }

    EngineConverterFactory m_engine;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_calls;
};

} // namespace plainora::test
