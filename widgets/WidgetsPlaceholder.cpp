// The small widgets and the form-translation controller live in this library.
namespace widgets_detail {
int WidgetsLibraryAnchor = 0;
}
