// A small HTTP server on 127.0.0.1 for tests: each path answers with bytes the test chose (any
// bytes: broken answers too). It keeps every request it received.
#pragma once
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class HttpServer {
public:
    struct Request {
        std::string method, path, body;
        std::map<std::string, std::string> headers;  // names in lower case
        bool tls = false;                             // a TLS handshake came instead of HTTP
    };
    // Writes the answer through Send; may wait with Stalled() until the server stops.
    using Handler = std::function<void(HttpServer& server, int socket, const Request& request)>;

    HttpServer()
    {
        m_listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(m_listener, (sockaddr*)&address, sizeof address);
        socklen_t length = sizeof address;
        getsockname(m_listener, (sockaddr*)&address, &length);
        m_port = ntohs(address.sin_port);
        listen(m_listener, 16);
        m_acceptor = std::thread([this] { Accept(); });
    }
    ~HttpServer()
    {
        m_stop = true;
        m_acceptor.join();
        for (std::thread& t : m_connections) t.join();
        close(m_listener);
    }
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    std::string Url(const std::string& path, const char* scheme = "http") const
    {
        return std::string(scheme) + "://127.0.0.1:" + std::to_string(m_port) + path;
    }
    void On(const std::string& path, Handler handler)
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_handlers[path] = std::move(handler);
    }
    // Answers the path with a complete response of that status and body.
    void Answer(const std::string& path, int status, const std::string& body)
    {
        On(path, [status, body](HttpServer& s, int socket, const Request&) {
            s.Send(socket, "HTTP/1.1 " + std::to_string(status) + " X\r\nContent-Length: " + std::to_string(body.size()) +
                               "\r\nConnection: close\r\n\r\n" + body);
        });
    }
    std::vector<Request> Received()
    {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_received;
    }
    int MostAtOnce() const { return m_mostAtOnce; }
    bool Stopping() const { return m_stop; }

    // A connection stops counting as open once its answer starts: the client cannot move on before.
    void Send(int socket, const std::string& bytes)
    {
        if (!t_answering) {
            t_answering = true;
            m_open--;
        }
        for (size_t sent = 0; sent < bytes.size();) {
            ssize_t n = send(socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) return;
            sent += (size_t)n;
        }
    }
    // Holds the connection open, sending nothing, until the server stops.
    void Stalled()
    {
        while (!m_stop) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }

private:
    void Accept()
    {
        while (!m_stop) {
            pollfd p{m_listener, POLLIN, 0};
            if (poll(&p, 1, 5) <= 0) continue;
            int socket = accept(m_listener, nullptr, nullptr);
            if (socket < 0) continue;
            m_connections.emplace_back([this, socket] { Serve(socket); });
        }
    }
    // Reads until the predicate holds on what arrived, the peer closes or the server stops.
    bool ReadUntil(int socket, std::string& data, const std::function<bool()>& done)
    {
        char chunk[65536];
        while (!done()) {
            pollfd p{socket, POLLIN, 0};
            if (m_stop) return false;
            if (poll(&p, 1, 5) <= 0) continue;
            ssize_t n = recv(socket, chunk, sizeof chunk, 0);
            if (n <= 0) return false;
            data.append(chunk, (size_t)n);
        }
        return true;
    }
    void Serve(int socket)
    {
        t_answering = false;
        int now = ++m_open;
        for (int most = m_mostAtOnce; now > most && !m_mostAtOnce.compare_exchange_weak(most, now);) {}
        Request request;
        std::string data;
        size_t end = std::string::npos;
        bool got = ReadUntil(socket, data, [&] {
            if (!data.empty() && data[0] == '\x16') return true;
            return (end = data.find("\r\n\r\n")) != std::string::npos;
        });
        if (got && data[0] == '\x16') {
            request.tls = true;
            Keep(request);
        } else if (got) {
            Parse(data.substr(0, end), request);
            size_t length = request.headers.count("content-length") ? std::stoul(request.headers["content-length"]) : 0;
            std::string body = data.substr(end + 4);
            if (ReadUntil(socket, body, [&] { return body.size() >= length; })) {
                request.body = body.substr(0, length);
                Keep(request);
                Handler handler;
                {
                    std::lock_guard<std::mutex> guard(m_lock);
                    auto h = m_handlers.find(request.path);
                    if (h != m_handlers.end()) handler = h->second;
                }
                if (handler) handler(*this, socket, request);
                else Send(socket, "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            }
        }
        shutdown(socket, SHUT_RDWR);
        close(socket);
        if (!t_answering) m_open--;
    }
    static void Parse(const std::string& head, Request& request)
    {
        size_t line = head.find("\r\n");
        std::string first = head.substr(0, line);
        size_t space = first.find(' ');
        request.method = first.substr(0, space);
        request.path = first.substr(space + 1, first.find(' ', space + 1) - space - 1);
        while (line != std::string::npos && line < head.size()) {
            size_t next = head.find("\r\n", line + 2);
            std::string header = head.substr(line + 2, next == std::string::npos ? std::string::npos : next - line - 2);
            size_t colon = header.find(':');
            if (colon != std::string::npos) {
                std::string name = header.substr(0, colon);
                for (char& c : name) c = (char)tolower((unsigned char)c);
                size_t value = header.find_first_not_of(' ', colon + 1);
                request.headers[name] = value == std::string::npos ? "" : header.substr(value);
            }
            line = next;
        }
    }
    void Keep(const Request& request)
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_received.push_back(request);
    }

    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    static inline thread_local bool t_answering = false;  // the connection this thread serves has begun its answer
    std::atomic<int> m_open{0};
    std::atomic<int> m_mostAtOnce{0};
    std::thread m_acceptor;
    std::vector<std::thread> m_connections;  // only the acceptor adds to it, joined after it ends
    std::mutex m_lock;
    std::map<std::string, Handler> m_handlers;
    std::vector<Request> m_received;
};
