// The loopback's own limit for bench/transfer-vs-curl.sh: one file through one TCP connection on
// 127.0.0.1 with no protocol and no program in the way, sendfile from the file into the sending
// socket and splice from the receiving socket through a pipe into the copy. No client moves a
// file across this machine's loopback faster. Prints the seconds it took.
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: loopcopy source-file copy-file\n");
        return 2;
    }
    const int source = ::open(argv[1], O_RDONLY | O_CLOEXEC);
    const int copy = ::open(argv[2], O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (source < 0 || copy < 0) {
        std::perror("open");
        return 1;
    }
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length) != 0 || ::listen(listener, 1) != 0) {
        std::perror("listen");
        return 1;
    }
    const int sender = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (::connect(sender, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        std::perror("connect");
        return 1;
    }
    const int receiver = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    int ends[2];
    if (receiver < 0 || ::pipe2(ends, O_CLOEXEC) != 0) {
        std::perror("accept");
        return 1;
    }
    (void)::fcntl(ends[1], F_SETPIPE_SZ, 1 << 20);

    const auto start = std::chrono::steady_clock::now();
    std::thread sending([&] {
        while (::sendfile(sender, source, nullptr, size_t(1) << 30) > 0) {
        }
        ::shutdown(sender, SHUT_WR);
    });
    bool failed = false;
    for (;;) {
        const ssize_t n = ::splice(receiver, nullptr, ends[1], nullptr, 1 << 20, SPLICE_F_MOVE);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            failed = n < 0;
            break;
        }
        for (ssize_t pending = n; pending > 0;) {
            const ssize_t m = ::splice(ends[0], nullptr, copy, nullptr, size_t(pending), SPLICE_F_MOVE);
            if (m <= 0) {
                std::perror("splice");
                return 1;
            }
            pending -= m;
        }
    }
    sending.join();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (failed) {
        std::perror("splice");
        return 1;
    }
    std::printf("%.3f\n", seconds);
    return 0;
}
