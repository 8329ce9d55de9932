#include "net/ResolveWithin.h"

#include "net/NetworkFailure.h"

#include <boost/asio/io_context.hpp>

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace asio = boost::asio;
using boost::system::error_code;
using tcp = boost::asio::ip::tcp;

namespace {
constexpr std::chrono::milliseconds waitSlice{25};
}

// The system resolver cannot be interrupted, so the lookup runs on a thread of its own
// that is left to finish by itself when the limit passes.
tcp::resolver::results_type resolveWithin(const std::string& host, int port, std::chrono::milliseconds limit,
                                          const Failure& timedOut, const std::function<bool()>& keepWaiting) {
    error_code literal;
    const auto address = asio::ip::make_address(host, literal);
    if (!literal)
        return tcp::resolver::results_type::create(tcp::endpoint(address, static_cast<unsigned short>(port)),
                                                   host, std::to_string(port));
    struct Lookup {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        error_code ec;
        tcp::resolver::results_type results;
    };
    auto lookup = std::make_shared<Lookup>();
    std::thread([lookup, host, port] {
        asio::io_context context;
        tcp::resolver resolver(context);
        error_code ec;
        auto results = resolver.resolve(host, std::to_string(port), tcp::resolver::numeric_service, ec);
        const std::lock_guard lock(lookup->mutex);
        lookup->ec = ec;
        lookup->results = std::move(results);
        lookup->finished = true;
        lookup->done.notify_one();
    }).detach();
    const auto deadline = std::chrono::steady_clock::now() + limit;
    std::unique_lock lock(lookup->mutex);
    for (;;) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            throw timedOut;
        const auto wait = keepWaiting
                              ? std::min<std::chrono::steady_clock::duration>(deadline - now, waitSlice)
                              : deadline - now;
        if (lookup->done.wait_for(lock, wait, [&] { return lookup->finished; }))
            break;
        if (keepWaiting) {
            lock.unlock();
            const bool goOn = keepWaiting();
            lock.lock();
            if (!goOn)
                throw downloadCancelled();
        }
    }
    if (lookup->ec)
        throw networkFailure(lookup->ec, NetworkStage::connecting);
    return lookup->results;
}
