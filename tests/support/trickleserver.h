#pragma once
// A TCP listener on 127.0.0.1 that accepts every connection and then sends
// it one byte every four seconds, forever, until the object goes: a server
// that is never silent long enough for an inactivity timeout and never
// finishes a login. The bytes open a TDS packet that claims 4096 bytes.

#include <QString>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

class TrickleServer {
public:
    TrickleServer() {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        if (listener_ < 0 ||
            ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
            ::listen(listener_, 8) != 0) {
            return;
        }
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { run(); });
    }
    ~TrickleServer() {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        if (thread_.joinable()) {
            thread_.join();
        }
        for (const int fd : clients_) {
            ::close(fd);
        }
        if (listener_ >= 0) {
            ::close(listener_);
        }
    }
    TrickleServer(const TrickleServer&) = delete;
    TrickleServer& operator=(const TrickleServer&) = delete;

    bool ok() const { return port_ != 0; }
    QString port() const { return QString::number(port_); }
    // Bytes sent so far, over all connections.
    int bytesSent() const { return sent_; }

private:
    void run() {
        static const unsigned char header[] = {0x04, 0x01, 0x10, 0x00, 0x00, 0x00, 0x01, 0x00};
        struct Client {
            std::size_t position = 0;
            std::chrono::steady_clock::time_point next;
        };
        std::vector<Client> state;
        std::unique_lock<std::mutex> lock(mutex_);
        while (!stopping_) {
            pollfd p{listener_, POLLIN, 0};
            while (::poll(&p, 1, 0) > 0) {
                const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
                if (fd < 0) {
                    break;
                }
                clients_.push_back(fd);
                state.push_back({0, std::chrono::steady_clock::now()});
            }
            const auto now = std::chrono::steady_clock::now();
            for (std::size_t i = 0; i < clients_.size(); ++i) {
                if (now < state[i].next) {
                    continue;
                }
                const unsigned char byte =
                    state[i].position < sizeof(header) ? header[state[i].position] : 0;
                if (::send(clients_[i], &byte, 1, MSG_NOSIGNAL) == 1) {
                    ++state[i].position;
                    ++sent_;
                }
                state[i].next = now + std::chrono::seconds(4);
            }
            // Short waits, so that a new connection gets its first byte soon.
            wake_.wait_for(lock, std::chrono::milliseconds(50), [this] { return stopping_; });
        }
    }

    int listener_ = -1;
    quint16 port_ = 0;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::vector<int> clients_;
    std::atomic<int> sent_{0};
};
