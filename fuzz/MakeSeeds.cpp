// Writes the seed corpora of the harnesses: real module messages on the line, the tool's own files, and
// parameter images, so that fuzzing starts from inputs that reach deep into each format.
// Usage: fuzz_make_seeds <folder of the corpora>
#include "params/ApnPresets.h"
#include "params/FieldCodecs.h"
#include "params/ImageLayout.h"
#include "protocol/SecuredFrame.h"
#include "tools/sim/ModuleMessages.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <cstdio>
#include <vector>

namespace {

using namespace vantrel;
using Bytes = std::vector<std::uint8_t>;

QString corpusRoot;

void write(const char* harness, const char* name, const QByteArray& bytes) {
    const QString dir = corpusRoot + QLatin1Char('/') + QLatin1String(harness);
    QDir().mkpath(dir);
    QFile file(dir + QLatin1Char('/') + QLatin1String(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s/%s\n", harness, name);
        std::exit(1);
    }
}

QByteArray asBytes(const Bytes& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

sim::PageBytes patternedPage(int page) {
    sim::PageBytes bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(page * 64 + i * 7);
    return bytes;
}

// The messages of one page answer: the header and the six blocks.
std::vector<Plaintext> pageAnswer(int page) {
    const sim::PageBytes bytes = patternedPage(page);
    const std::uint32_t sum = sim::modulePageChecksum(bytes);
    std::vector<Plaintext> messages{sim::pageHeaderMessage(page)};
    for (int i = 0; i < 6; ++i)
        messages.push_back(sim::pageBlockMessage(bytes, i, sum));
    return messages;
}

std::vector<Plaintext> textsOnEveryChannel() {
    std::vector<Plaintext> messages;
    for (int channel = 1; channel <= 4; ++channel) {
        for (const Plaintext& m : sim::textMessages(channel, "GSM ok\r\n", sim::TextForm::Short))
            messages.push_back(m);
        for (const Plaintext& m : sim::textMessages(channel, "Riasztas\r\r\nZona 3\xDB", sim::TextForm::Long))
            messages.push_back(m);
    }
    return messages;
}

// The receive harness's input: two bytes for the cuts, then the line, with noise between the frames.
QByteArray line(std::uint16_t cuts, const std::vector<Plaintext>& messages, int noise) {
    Bytes out{static_cast<std::uint8_t>(cuts >> 8), static_cast<std::uint8_t>(cuts)};
    Aes128 cipher;
    std::uint8_t stray = 0x11;
    for (const Plaintext& m : messages) {
        for (int i = 0; i < noise; ++i)
            out.push_back(i == 0 ? FrameStart : stray += 0x3D);
        const SecuredFrame frame = encodeFrame(cipher, m);
        out.insert(out.end(), frame.begin(), frame.end());
    }
    return asBytes(out);
}

// The frames harness's input: a control byte, its noise, then code and payload of each message.
QByteArray records(const std::vector<Plaintext>& messages, std::uint8_t control, int noise) {
    Bytes out;
    for (const Plaintext& m : messages) {
        out.push_back(static_cast<std::uint8_t>(control | noise));
        for (int i = 0; i < noise; ++i)
            out.push_back(i == 0 ? FrameStart : static_cast<std::uint8_t>(i * 29));
        out.insert(out.end(), m.begin() + 1, m.begin() + 15);
    }
    return asBytes(out);
}

std::vector<Plaintext> operator+(std::vector<Plaintext> a, const std::vector<Plaintext>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

void receiveAndFrameSeeds() {
    const std::vector<Plaintext> page = pageAnswer(3);
    std::vector<Plaintext> repeated = pageAnswer(5);
    repeated.insert(repeated.begin() + 3, repeated[2]);
    std::vector<Plaintext> restarted = pageAnswer(7);
    restarted.insert(restarted.begin() + 4, sim::pageHeaderMessage(7));
    const std::vector<Plaintext> status{sim::statusMessage({0x1F, 25, 5, 0}), sim::writeAckMessage()};
    Plaintext oddCodes = sim::statusMessage({});
    oddCodes[1] = 0x61;
    Plaintext notThree = sim::statusMessage({});
    notThree[1] = 0x73;

    write("receive", "page", line(0x0101, page, 0));
    write("receive", "page_noise", line(0x7F33, page, 5));
    write("receive", "texts", line(0x0203, textsOnEveryChannel(), 0));
    write("receive", "status_ack", line(0x0405, status + page, 2));
    write("receive", "repeated_block", line(0x0607, repeated, 0));

    write("frames", "page", records(page, 0x40, 0));
    write("frames", "page_noise", records(page + pageAnswer(14), 0x40, 7));
    write("frames", "texts_hidden", records(textsOnEveryChannel(), 0x00, 0));
    write("frames", "texts_shown", records(textsOnEveryChannel(), 0x80, 1));
    write("frames", "status_ack_codes", records(status + std::vector<Plaintext>{oddCodes, notThree}, 0x80, 0));
    write("frames", "repeated_restarted", records(repeated + restarted, 0x40, 0));
}

void gridSeeds() {
    write("grid_file", "setup", "2,1\r\ncw 0,20\r\ncw 1,20\r\n0,0,COM3\r\n");
    write("grid_file", "cells", "2,2\r\ncw 0,20\r\ncw 1,20\r\n1,0,a,b\r\n0,1,A\tB\bC\r\n1,1,x\ny\r\n");
    write("grid_file", "odd_lines",
          "0,0\r\n\r\nxyz\r\n5,0,x\r\ncw,5\r\ncw 9,3\r\n-1,-1,y\r\n\x1a"
          "0,0,after");
    write("grid_file", "lf_ends", "2,1\ncw 0,20\n0,0,COM12\n");
    write("grid_file", "large", "1000,1048576\r\ncw 999,1\r\n999,1048575,far\r\n");
}

void apnSeeds() {
    write("apn_presets", "built_in", joinApnPresetLines(builtInApnPresets()));
    write("apn_presets", "line_ends",
          "Egyedi\r\nA                                      \"apn.example\",\"user\",\"pw\"\nB \"x\"\r"
          "C\"\"\"\"\"\"\r\n");
    write("apn_presets", "unquoted", "no quotes at all\r\nhalf \"open\r\n\"one\",\"two\r\n");
}

void imageSeeds() {
    ImageBytes fresh = freshImage();
    write("editor_image", "fresh", QByteArray(reinterpret_cast<const char*>(fresh.data()), ImageSize));
    write("editor_image", "zeros", QByteArray(static_cast<qsizetype>(ImageSize), '\0'));

    ImageBytes ascending{};
    for (std::size_t i = 0; i < ImageSize; ++i)
        ascending[i] = static_cast<std::uint8_t>(i);
    write("editor_image", "ascending", QByteArray(reinterpret_cast<const char*>(ascending.data()), ImageSize));

    // An installer's set: numbers, codes, texts, receivers.
    ImageBytes set = freshImage();
    for (const FieldSpec& spec : ImageLayout) {
        switch (spec.kind) {
        case FieldKind::PhoneNumberField:
            encodeField(set, spec, QStringList{"3", "6", "2", "0", "5", "5", "5", "1", "2", "3", "4"});
            break;
        case FieldKind::PrefixField:
            encodeField(set, spec, QStringList{"0", "9"});
            break;
        case FieldKind::EventCodeField:
            encodeField(set, spec, QStringList{"1", "3", "0", "*"});
            break;
        case FieldKind::SmsTextField:
            encodeField(set, spec, QByteArray("Riaszt\xE1s $ z\xF3na \xDB "));
            break;
        case FieldKind::CountedText:
            encodeField(set, spec, QByteArray("internet.example"));
            break;
        case FieldKind::FlagByte:
        case FieldKind::TimerByte:
            encodeField(set, spec, 1);
            break;
        case FieldKind::Word16BE:
            encodeField(set, spec, 8080);
            break;
        case FieldKind::IPv4Address:
            encodeField(set, spec, Octets{192, 168, 1, 20});
            break;
        case FieldKind::ZeroPair:
            encodeField(set, spec, std::monostate{});
            break;
        }
    }
    write("editor_image", "installer_set", QByteArray(reinterpret_cast<const char*>(set.data()), ImageSize));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_make_seeds <folder of the corpora>\n");
        return 2;
    }
    corpusRoot = QString::fromLocal8Bit(argv[1]);
    receiveAndFrameSeeds();
    gridSeeds();
    apnSeeds();
    imageSeeds();
    return 0;
}
