/* A shared object without PIProc: no plug-in. */
int TestNotAPlugin(void);
int TestNotAPlugin(void)
{
    return 1;
}
