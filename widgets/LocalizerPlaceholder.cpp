// The language manager and the localized constants live in this library.
namespace localizer_detail {
int LocalizerLibraryAnchor = 0;
}
