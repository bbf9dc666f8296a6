#include "cli/BatchRunner.h"

#include "engine/Engine.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace plainora::cli {

namespace {

struct Outcome
{
    bool finished = false;
    std::string text; // --stdout: the encoded text until it is written
    std::optional<engine::Error> error;
    std::size_t replacedCharacters = 0;
};

class Batch
{
public:
    Batch(const std::vector<PlannedDocument>& documents, const RunSettings& settings,
          const RunCallbacks& callbacks)
        : m_documents(documents), m_settings(settings), m_options{settings.read, settings.output},
          m_callbacks(callbacks), m_outcomes(documents.size()),
          // With --stdout the texts wait in memory until their turn: keep
          // the workers only a few documents ahead of the writer.
          m_window(settings.toStdout ? 2 * std::size_t{settings.jobs} + 2 : documents.size())
    {
    }

    RunSummary run()
    {
        const std::size_t total = m_documents.size();
        {
            const std::size_t threads = std::min<std::size_t>(std::max(1u, m_settings.jobs), total);
            std::vector<std::jthread> workers;
            workers.reserve(threads);
            for (std::size_t t = 0; t < threads; ++t)
                workers.emplace_back([this] { work(); });
            deliverInOrder();
        } // the workers are joined here
        return m_summary;
    }

private:
    void work()
    {
        for (;;) {
            const std::size_t index = m_next.fetch_add(1);
            if (index >= m_documents.size())
                return;
            if (m_settings.toStdout) {
                std::unique_lock lock(m_mutex);
                waitAsWorker(lock, [&] { return index < m_delivered + m_window; });
            }
            Outcome outcome = convert(m_documents[index]);
            bool wake = false;
            {
                std::lock_guard lock(m_mutex);
                outcome.finished = true;
                if (hasReport(outcome))
                    ++m_pendingReports;
                m_outcomes[index] = std::move(outcome);
                ++m_finished;
                // Waking the delivering thread for every document costs a
                // context switch each: wake it only when it has work.
                wake = m_waitingWorkers > 0 || delivererHasWork();
            }
            if (wake)
                m_changed.notify_all();
        }
    }

    Outcome convert(const PlannedDocument& document)
    {
        Outcome outcome;
        if (document.presetError) {
            outcome.error = document.presetError;
            waitForEarlierWriter(document);
            return outcome;
        }
        try {
            if (m_settings.toStdout) {
                auto text = engine::convertToMemory(document.sourcePath, m_options);
                if (!text) {
                    outcome.error = text.error();
                } else {
                    outcome.text = std::move(text.value().bytes);
                    outcome.replacedCharacters = text.value().replacedCharacters;
                }
            } else {
                auto written = engine::convertToFile(document.sourcePath, document.outputPath, m_options,
                                                     [&] { waitForEarlierWriter(document); });
                if (!written)
                    outcome.error = written.error();
                else
                    outcome.replacedCharacters = written.value();
            }
        } catch (const std::bad_alloc&) {
            outcome.error = engine::makeError(engine::ErrorCode::TooLarge,
                                              "There was not enough memory to convert the document. "
                                              "Convert it with fewer jobs (-j 1).");
        } catch (const std::exception& exception) {
            outcome.error = engine::makeError(engine::ErrorCode::Damaged,
                                              std::string("The document could not be converted: ") +
                                                  exception.what() + ".");
        }
        waitForEarlierWriter(document);
        return outcome;
    }

    // The earlier document was taken by a worker before this one, and waits
    // only for documents before it, so this wait always ends.
    void waitForEarlierWriter(const PlannedDocument& document)
    {
        if (document.replaces == kNoDocument)
            return;
        std::unique_lock lock(m_mutex);
        waitAsWorker(lock, [&] { return m_outcomes[document.replaces].finished; });
    }

    template <typename Ready> void waitAsWorker(std::unique_lock<std::mutex>& lock, Ready ready)
    {
        ++m_waitingWorkers;
        m_changed.wait(lock, ready);
        --m_waitingWorkers;
    }

    // What the delivering thread must hand over itself: failures and
    // --stdout texts. A converted text file only counts.
    bool hasReport(const Outcome& outcome) const { return outcome.error || m_settings.toStdout; }

    // Called with m_mutex held. The next document in plan order is finished, and
    // there is a report to hand over or nothing left to wait for.
    bool delivererHasWork() const
    {
        return m_delivered < m_documents.size() && m_outcomes[m_delivered].finished &&
               (m_pendingReports > 0 || m_finished == m_documents.size());
    }

    void deliverInOrder()
    {
        using Clock = std::chrono::steady_clock;
        // Often enough for the eye, rarely enough to cost nothing.
        constexpr auto kProgressInterval = std::chrono::milliseconds(100);
        const std::size_t total = m_documents.size();
        std::size_t reportedFinished = 0;
        if (m_callbacks.progress)
            m_callbacks.progress(0, total);
        std::unique_lock lock(m_mutex);
        while (m_delivered < total) {
            if (m_callbacks.progress) {
                m_changed.wait_until(lock, Clock::now() + kProgressInterval,
                                     [&] { return delivererHasWork(); });
                if (m_finished != reportedFinished) {
                    reportedFinished = m_finished;
                    lock.unlock();
                    m_callbacks.progress(reportedFinished, total);
                    lock.lock();
                }
            } else {
                m_changed.wait(lock, [&] { return delivererHasWork(); });
            }
            bool advanced = false;
            while (m_delivered < total && m_outcomes[m_delivered].finished) {
                if (hasReport(m_outcomes[m_delivered])) {
                    Outcome outcome = std::move(m_outcomes[m_delivered]);
                    m_outcomes[m_delivered].finished = true; // still finished for the waiters
                    --m_pendingReports;
                    lock.unlock();
                    deliver(m_documents[m_delivered], outcome);
                    lock.lock();
                } else {
                    deliver(m_documents[m_delivered], m_outcomes[m_delivered]);
                }
                ++m_delivered;
                advanced = true;
            }
            if (advanced && m_waitingWorkers > 0)
                m_changed.notify_all();
        }
        // The last documents can finish and be delivered in one round, before
        // their count was reported: the bar must still end full.
        if (reportedFinished != total && m_callbacks.progress) {
            lock.unlock();
            m_callbacks.progress(total, total);
        }
    }

    void deliver(const PlannedDocument& document, Outcome& outcome)
    {
        if (!outcome.error && m_settings.toStdout && m_callbacks.writeText &&
            !m_callbacks.writeText(outcome.text))
            outcome.error = engine::makeError(engine::ErrorCode::OutputFailed,
                                              "The text could not be written to standard output.");
        if (outcome.error) {
            ++m_summary.failed;
            if (m_callbacks.failed)
                m_callbacks.failed(document, *outcome.error);
        } else {
            ++m_summary.converted;
            m_summary.replacedCharacters += outcome.replacedCharacters;
        }
    }

    const std::vector<PlannedDocument>& m_documents;
    const RunSettings& m_settings;
    const engine::ConverterOptions m_options;
    const RunCallbacks& m_callbacks;
    std::vector<Outcome> m_outcomes;
    const std::size_t m_window;

    std::atomic<std::size_t> m_next{0};
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::size_t m_delivered = 0;      // guarded by m_mutex
    std::size_t m_finished = 0;       // guarded by m_mutex
    std::size_t m_pendingReports = 0; // guarded by m_mutex: finished, not yet delivered
    std::size_t m_waitingWorkers = 0; // guarded by m_mutex
    RunSummary m_summary;             // the delivering thread only
};

} // namespace

RunSummary runBatch(const std::vector<PlannedDocument>& documents, const RunSettings& settings,
                    const RunCallbacks& callbacks)
{
    if (documents.empty())
        return {};
    return Batch(documents, settings, callbacks).run();
}

} // namespace plainora::cli
