#include "GlobalMemory.h"

#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

struct GlobalBlock {
    std::vector<std::byte> bytes;
};

namespace {

struct BlockTable {
    std::mutex lock;
    std::unordered_map<GlobalBlock*, std::unique_ptr<GlobalBlock>> live;
    std::size_t refusedFrees = 0;
};

BlockTable& Table()
{
    static BlockTable table;
    return table;
}

GlobalBlock* Live(BlockTable& table, HGLOBAL block)
{
    const auto found = table.live.find(block);
    return found == table.live.end() ? nullptr : found->second.get();
}

} // namespace

HGLOBAL GlobalAlloc(std::size_t bytes)
{
    auto block = std::make_unique<GlobalBlock>();
    block->bytes.resize(bytes);
    BlockTable& table = Table();
    const std::scoped_lock hold(table.lock);
    GlobalBlock* handle = block.get();
    table.live.emplace(handle, std::move(block));
    return handle;
}

void* GlobalLock(HGLOBAL block)
{
    BlockTable& table = Table();
    const std::scoped_lock hold(table.lock);
    GlobalBlock* live = Live(table, block);
    return live ? live->bytes.data() : nullptr;
}

// Blocks never move, so there is nothing to undo.
void GlobalUnlock(HGLOBAL) {}

std::size_t GlobalSize(HGLOBAL block)
{
    BlockTable& table = Table();
    const std::scoped_lock hold(table.lock);
    GlobalBlock* live = Live(table, block);
    return live ? live->bytes.size() : 0;
}

HGLOBAL GlobalFree(HGLOBAL block)
{
    BlockTable& table = Table();
    const std::scoped_lock hold(table.lock);
    if (table.live.erase(block) == 1)
        return nullptr;
    ++table.refusedFrees;
    return block;
}

std::size_t GlobalLiveBlocks()
{
    BlockTable& table = Table();
    const std::scoped_lock hold(table.lock);
    return table.live.size();
}

std::size_t GlobalRefusedFrees()
{
    BlockTable& table = Table();
    const std::scoped_lock hold(table.lock);
    return table.refusedFrees;
}
