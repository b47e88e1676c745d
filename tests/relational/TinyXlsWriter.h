#pragma once

#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <variant>
#include <vector>

// Writes a minimal Excel 97-2003 workbook (a BIFF8 "Workbook" stream in a compound file)
// with one worksheet of numbers, booleans and text, enough for reader tests.
class TinyXlsWriter {
public:
    using Cell = std::variant<std::monostate, double, bool, std::string>;

    static void Write(const std::string& path, const std::string& sheetName, const std::vector<std::vector<Cell>>& rows)
    {
        std::vector<std::string> strings;
        for (const auto& row : rows)
            for (const auto& cell : row)
                if (const auto* text = std::get_if<std::string>(&cell))
                    strings.push_back(*text);

        Bytes globals;
        Record(globals, 0x0809, Bof(0x0005));
        Record(globals, 0x0042, U16(1200));
        // Padding records so that the stream is too large for the compound file's mini stream.
        for (int i = 0; i < 40; ++i)
            Record(globals, 0x005C, Bytes(112, ' '));
        Record(globals, 0x0022, U16(0));
        const size_t boundsheetAt = globals.size();
        Bytes sheetInfo = U32(0);
        sheetInfo.push_back(0);
        sheetInfo.push_back(0);
        sheetInfo.push_back(static_cast<char>(sheetName.size()));
        sheetInfo.push_back(0);
        sheetInfo.insert(sheetInfo.end(), sheetName.begin(), sheetName.end());
        Record(globals, 0x0085, sheetInfo);
        Bytes sst = U32(static_cast<uint32_t>(strings.size()));
        Append(sst, U32(static_cast<uint32_t>(strings.size())));
        for (const auto& s : strings) {
            Append(sst, U16(static_cast<uint16_t>(s.size())));
            sst.push_back(0);
            sst.insert(sst.end(), s.begin(), s.end());
        }
        Record(globals, 0x00FC, sst);
        Record(globals, 0x000A, {});

        // The sheet substream starts right after the globals; patch its offset in.
        const uint32_t sheetOffset = static_cast<uint32_t>(globals.size());
        std::memcpy(&globals[boundsheetAt + 4], &sheetOffset, 4);

        Bytes sheet;
        Record(sheet, 0x0809, Bof(0x0010));
        size_t columns = 0;
        for (const auto& row : rows)
            columns = std::max(columns, row.size());
        Bytes dimensions = U32(0);
        Append(dimensions, U32(static_cast<uint32_t>(rows.size())));
        Append(dimensions, U16(0));
        Append(dimensions, U16(static_cast<uint16_t>(columns)));
        Append(dimensions, U16(0));
        Record(sheet, 0x0200, dimensions);
        uint32_t stringIndex = 0;
        for (size_t r = 0; r < rows.size(); ++r) {
            for (size_t c = 0; c < rows[r].size(); ++c) {
                Bytes cell = U16(static_cast<uint16_t>(r));
                Append(cell, U16(static_cast<uint16_t>(c)));
                Append(cell, U16(0));
                const Cell& value = rows[r][c];
                if (const auto* number = std::get_if<double>(&value)) {
                    Bytes bits(8);
                    std::memcpy(bits.data(), number, 8);
                    Append(cell, bits);
                    Record(sheet, 0x0203, cell);
                } else if (const auto* flag = std::get_if<bool>(&value)) {
                    cell.push_back(*flag ? 1 : 0);
                    cell.push_back(0);
                    Record(sheet, 0x0205, cell);
                } else if (std::holds_alternative<std::string>(value)) {
                    Append(cell, U32(stringIndex++));
                    Record(sheet, 0x00FD, cell);
                }
            }
        }
        Record(sheet, 0x000A, {});

        Bytes stream = globals;
        Append(stream, sheet);
        WriteCompoundFile(path, stream);
    }

private:
    using Bytes = std::vector<char>;

    static Bytes U16(uint16_t v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }
    static Bytes U32(uint32_t v)
    {
        return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF), static_cast<char>((v >> 16) & 0xFF),
            static_cast<char>(v >> 24)};
    }
    static void Append(Bytes& to, const Bytes& from) { to.insert(to.end(), from.begin(), from.end()); }
    static void Record(Bytes& to, uint16_t type, const Bytes& body)
    {
        Append(to, U16(type));
        Append(to, U16(static_cast<uint16_t>(body.size())));
        Append(to, body);
    }
    static Bytes Bof(uint16_t kind)
    {
        Bytes b = U16(0x0600);
        Append(b, U16(kind));
        Append(b, U16(0x0DBB));
        Append(b, U16(0x07CC));
        Append(b, U32(0));
        Append(b, U32(6));
        return b;
    }
    static void Put32(Bytes& b, size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); }
    static void Put16(Bytes& b, size_t at, uint16_t v) { std::memcpy(&b[at], &v, 2); }

    static void DirectoryEntry(
        Bytes& sector, size_t index, const std::string& name, char type, uint32_t child, uint32_t start, uint32_t size)
    {
        const size_t at = index * 128;
        for (size_t i = 0; i < name.size(); ++i)
            sector[at + i * 2] = name[i];
        Put16(sector, at + 64, static_cast<uint16_t>((name.size() + 1) * 2));
        sector[at + 66] = type;
        sector[at + 67] = 1;
        Put32(sector, at + 68, 0xFFFFFFFF);
        Put32(sector, at + 72, 0xFFFFFFFF);
        Put32(sector, at + 76, child);
        Put32(sector, at + 116, start);
        Put32(sector, at + 120, size);
    }

    static void WriteCompoundFile(const std::string& path, Bytes stream)
    {
        const uint32_t streamSize = static_cast<uint32_t>(stream.size());
        stream.resize((stream.size() + 511) / 512 * 512, 0);
        const uint32_t streamSectors = static_cast<uint32_t>(stream.size() / 512);

        Bytes header(512, 0);
        const unsigned char signature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
        std::memcpy(header.data(), signature, 8);
        Put16(header, 24, 0x003E);
        Put16(header, 26, 0x0003);
        Put16(header, 28, 0xFFFE);
        Put16(header, 30, 9);
        Put16(header, 32, 6);
        Put32(header, 44, 1); // one FAT sector
        Put32(header, 48, 1); // directory in sector 1
        Put32(header, 56, 0x1000);
        Put32(header, 60, 0xFFFFFFFE);
        Put32(header, 68, 0xFFFFFFFE);
        for (size_t i = 0; i < 109; ++i)
            Put32(header, 76 + i * 4, i == 0 ? 0 : 0xFFFFFFFF);

        Bytes fat(512, 0);
        for (size_t i = 0; i < 128; ++i)
            Put32(fat, i * 4, 0xFFFFFFFF);
        Put32(fat, 0, 0xFFFFFFFD);
        Put32(fat, 4, 0xFFFFFFFE);
        for (uint32_t s = 0; s < streamSectors; ++s)
            Put32(fat, (2 + s) * 4, s + 1 == streamSectors ? 0xFFFFFFFE : 2 + s + 1);

        Bytes directory(512, 0);
        DirectoryEntry(directory, 0, "Root Entry", 5, 1, 0xFFFFFFFE, 0);
        DirectoryEntry(directory, 1, "Workbook", 2, 0xFFFFFFFF, 2, streamSize);
        for (size_t i = 2; i < 4; ++i) {
            Put32(directory, i * 128 + 68, 0xFFFFFFFF);
            Put32(directory, i * 128 + 72, 0xFFFFFFFF);
            Put32(directory, i * 128 + 76, 0xFFFFFFFF);
        }

        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        for (const Bytes* part : {&header, &fat, &directory, &stream})
            out.write(part->data(), static_cast<std::streamsize>(part->size()));
    }
};
