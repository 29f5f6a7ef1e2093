/* A C host of the installed C interface: this machine's ports listed, exit 0 when the calls
 * answered. */
#include <stdio.h>

#include <ztusb/ztusb.h>

int main(void) {
    ztusb_context *context = NULL;
    if (ztusb_open(&context) != ZTUSB_SUCCESS) {
        fprintf(stderr, "%s\n", ztusb_last_error());
        return 1;
    }
    ztusb_com_port_list *ports = NULL;
    const int listed = ztusb_com_ports(context, &ports);
    for (size_t i = 0; listed == ZTUSB_SUCCESS && i < ports->count; ++i) printf("%s\n", ports->ports[i].name);
    ztusb_free_com_port_list(ports);
    ztusb_close(context);
    printf("ztusb %s\n", ztusb_version());
    return listed == ZTUSB_SUCCESS ? 0 : 1;
}
