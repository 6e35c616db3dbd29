' A sample for basicrun: a module variable, a Sub that prints, a recursive Function.
Dim calls As Long

Sub Show(n As Long)
  calls = calls + 1
  Print "fact("; n; ") ="; Fact(n)
End Sub

Function Fact(n As Long) As Long
  If n <= 1 Then
    Fact = 1
  Else
    Fact = n * Fact(n - 1)
  End If
End Function

Function Main() As Long
  Dim i As Long
  For i = 3 To 5
    Show i
  Next i
  Main = calls
End Function

Function Broken() As Long
  Dim a(3) As Long
  a(7) = 1
End Function
