// Files that scripts write, kept in memory and written whole when closed. Without the memory for
// what a script writes the write is refused whole (and the built-in's call reports it).
#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Function/Function_File_Internal.h"

#include <memory>

CWriteFile* CWriteFile::Open(LoadSaveFolder where, const char* name, LoadSaveFile* initial, bool truncate)
{
    int64_t size = initial ? initial->size : 0;
    CWriteFile* file = nullptr;
    bool existed = false;
    if (name && size <= FILE_MAX_WRITE && LoadSave_PrepareWrite(where, name, &existed)) {
        std::unique_ptr<CWriteFile> made;
        if (MemoryManager_Try([&] {
                made.reset(new CWriteFile);
                made->m_name = name;
                if (size > 0) made->m_bytes.assign((const char*)initial->bytes, (size_t)size);
            })) {
            file = made.release();
            file->m_where = where;
            file->m_changed = existed ? truncate : size > 0;
        }
    }
    LoadSave_FClose(initial);
    return file;
}

bool CWriteFile::Commit()
{
    if (!m_changed) return true;
    if (!LoadSave_WriteFileIn(m_where, m_name.c_str(), m_bytes.data(), Size())) {
        Console_Warnings->Output("Could not write the file %s\n", m_name.c_str());
        return false;
    }
    m_changed = false;
    return true;
}

bool CWriteFile::Write(const void* bytes, int64_t count)
{
    if (count <= 0) return true;
    if (count > FILE_MAX_WRITE - m_position) {
        if (!m_warned) Console_Warnings->Output("The file %s would grow beyond %lld bytes; the write was refused\n",
                                                m_name.c_str(), (long long)FILE_MAX_WRITE);
        m_warned = true;
        return false;
    }
    size_t had = m_bytes.size();
    if (!MemoryManager_Try([&] {
            if (m_position > Size()) m_bytes.resize((size_t)m_position, '\0');
            int64_t overlap = Size() - m_position;
            if (overlap > count) overlap = count;
            m_bytes.replace((size_t)m_position, (size_t)overlap, (const char*)bytes, (size_t)count);
        })) {
        m_bytes.resize(had);  // a gap filled before the memory ran out goes again
        return false;
    }
    m_position += count;
    m_changed = true;
    return true;
}

bool CWriteFile::WriteText(const char* text)
{
    std::string converted;
    char previous = m_bytes.empty() ? 0 : m_bytes.back();
    bool made = MemoryManager_Try([&] {
        for (const char* p = text; *p; previous = *p++) {
            if (*p == '\n' && previous != '\r') converted += '\r';
            converted += *p;
        }
    });
    if (!made) return false;
    m_position = Size();
    return Write(converted.data(), (int64_t)converted.size());
}

int CWriteFile::ReadByte()
{
    if (m_position >= Size()) return -1;
    return (unsigned char)m_bytes[(size_t)m_position++];
}

void CWriteFile::Seek(int64_t position)
{
    m_position = position < 0 ? 0 : position > FILE_MAX_WRITE ? FILE_MAX_WRITE : position;
}

void CWriteFile::Clear()
{
    m_bytes.clear();
    m_position = 0;
    m_changed = true;
}
