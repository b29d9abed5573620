// Anchor of the engine's libraries; each folder adds its own sources.
namespace sheet {
const char* engineName() { return "Tinselwick spreadsheet engine"; }
}  // namespace sheet
